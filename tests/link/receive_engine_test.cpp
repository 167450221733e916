// The receive engine, tick by tick, against the scripted port: what each mode takes, shows,
// stores and sends.
#include <gtest/gtest.h>

#include "support/fake_host.h"
#include "link/receive_engine.h"
#include "support/scripted_port.h"

namespace tq {
namespace {

const std::string kNoAnswer = " La macchina non risponde !!\r\n\r\n Controllare che non sia \r\n in produzione";
const std::string kRecord = [] {  // the answer to "H": parameter i holds i + 1, CRC 0xAB 0xCD
    std::string s;
    for (int i = 1; i <= 54; ++i)
        s += static_cast<char>(i);
    return s + "\xAB\xCD";
}();
const std::string kTexts = "SELEZIONA CARTELLA  PARTE     NUOVA LETTDISCO     TIPO----- TAGLIA--  PARTE 2   "
                           "CARRO     SCOLLO    RANGHI    CONTAPEZZI";
std::string menuList(const std::string& s)
{
    std::string t = "VOCI NEL MENU = 12\r\n";
    for (std::size_t k = 0; k < 12; ++k)
        t += (10 * k < s.size() ? s.substr(10 * k, 10) : "") + "\r\n";
    return t;
}

class EngineTest : public ::testing::Test {
protected:
    EngineTest() : engine(m, host)
    {
        m.NoAnswerText = BuildNoAnswerText();
        host.module = &m;
        engine.setPort(&port);
    }
    void tick(std::uint8_t mode, const std::string& answer = {})
    {
        m.ReceiveMode = mode;
        port.feed(answer);
        engine.tick();
    }
    Module1 m;
    test::FakeHost host;
    test::ScriptedPort port;
    ReceiveEngine engine;
};

TEST_F(EngineTest, ParamReadWaitsFor56BytesThenAsksForTheTexts)
{
    tick(ParamRead, kRecord.substr(0, 55));
    EXPECT_EQ(host.text.text(), kNoAnswer);
    EXPECT_TRUE(port.events.empty());  // nothing taken, nothing asked

    port.feed(kRecord.substr(55) + "xyz");  // surplus bytes leave the port with the record
    engine.tick();
    EXPECT_EQ(std::string(m.ChipParams.begin(), m.ChipParams.begin() + 56), kRecord);
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_EQ(host.text.text(), " OK parametri caricati!");
    EXPECT_EQ(host.calls(), (std::vector<std::string>{"Label4:171-205 Chip ", "ListInit@" + kNoAnswer, "ParUsb"}));
    EXPECT_EQ(port.writes, std::vector<std::string>{"J"});
    EXPECT_EQ(m.ReceiveMode, MenuRead);

    tick(MenuRead, kTexts);
    EXPECT_EQ(host.text.text(), menuList(kTexts));
    EXPECT_EQ(m.ChipMenuTexts[11], "CONTAPEZZI");
    EXPECT_EQ(m.FileMenuTexts[0], "");  // the working copy is not touched
    EXPECT_EQ(m.ReceiveMode, Terminal);
}

TEST_F(EngineTest, ReadFromChipBufferCopiesIntoTheWorkingCopy)
{
    m.ChipToBuffer = 1;
    m.CurrentFileName = "macchina.ini";
    m.FileMenuTexts[12] = "vecchio";
    tick(ParamRead, kRecord);
    EXPECT_EQ(host.text.text(), "Lettura di 54 parametri dal TQ310\r\nOK\r\n");
    EXPECT_FALSE(host.parUsbEnabled);
    EXPECT_EQ(port.writes, std::vector<std::string>{"J"});

    tick(MenuRead, kTexts);
    const std::string list = menuList(kTexts);
    EXPECT_EQ(host.text.text(), list + "MATRICI COPIATE \r\n\r\nPROCEDURA COMPLETATA \r\n");
    EXPECT_EQ(host.calls()[host.calls().size() - 2], "ListInit@" + list + "MATRICI COPIATE \r\n\r\n");
    EXPECT_EQ(host.label1, " Dati recuperati dal TQ310");
    EXPECT_EQ(m.FileParams[53], 54);
    EXPECT_NE(m.FileParams[54], 0xAB);  // the working CRC is recomputed, not copied
    EXPECT_EQ(m.FileMenuTexts[11], "CONTAPEZZI");
    EXPECT_EQ(m.FileMenuTexts[12], "");
    EXPECT_EQ(m.ChipToBuffer, 0);
    EXPECT_EQ(m.CurrentFileName, "");
}

TEST_F(EngineTest, MenuReadWithExactly88Characters)
{
    tick(MenuRead, kTexts.substr(0, 87));
    EXPECT_EQ(host.text.text(), kNoAnswer);
    tick(MenuRead, kTexts.substr(87, 1));
    EXPECT_EQ(m.ChipMenuTexts[7], "PARTE 2   ");
    EXPECT_EQ(m.ChipMenuTexts[8], "CARRO   ");
    EXPECT_EQ(m.ChipMenuTexts[9] + m.ChipMenuTexts[10] + m.ChipMenuTexts[11], "");
    EXPECT_EQ(host.text.text(), menuList(kTexts.substr(0, 88)));
}

TEST_F(EngineTest, PhaseReadShowsThe32ValuesOf40Waiting)
{
    host.text.set("prima");
    std::string answer(40, '\xC8');
    for (int i = 0; i < 32; ++i)
        answer[i] = static_cast<char>(i % 3);
    tick(PhaseRead, answer.substr(0, 31));
    EXPECT_EQ(host.text.text(), "prima");  // nothing shown while waiting
    tick(PhaseRead, answer.substr(31));
    std::string expected = " Parametri momento uscita funzione \r\n\r\n0= Fase uscita = conteggio\r\n"
                           "1= Fase uscita = cancella cont.\r\n2= Fase uscita = impulso 500 ms\r\n\r\nNOTA:\r\n"
                           "Abilitate secondo se usate nella maglia corrente\r\n\r\n";
    for (int i = 1; i <= 32; ++i)
        expected += "N." + std::to_string(i) + " = " + std::to_string((i - 1) % 3) + "\r\n";
    EXPECT_EQ(host.text.text(), expected);
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_EQ(m.ReceiveMode, Terminal);
}

TEST_F(EngineTest, InputPollAlternatesRequestAndReplyAndItsToggleCarriesOver)
{
    tick(InputPoll);  // PhaseToggle starts at 0: a reply tick, and no reply
    EXPECT_EQ(host.text.text(), kNoAnswer);
    tick(InputPoll, "stale");
    EXPECT_EQ(port.events, (std::vector<std::string>{"write:K", "discard"}));
    tick(InputPoll, "\x05");
    EXPECT_EQ(host.text.text(), " Stato ingressi :\r\n\r\n"
                                "Mor.12(conteggio)          = [ON ]\r\n\r\n"
                                "Mor.13(cancella conteggio) = [OFF]\r\n\r\n"
                                "Mor.14(reset macchina)     = [ON ]\r\n\r\n"
                                "scheda(selettore lavoro)   = [OFF]\r\n\r\n"
                                "Mor.11(segnale power +24)  = [OFF]\r\n\r\n"
                                "Mor.13(selettore parametri)= [OFF]\r\n\r\n"
                                "Mor.15(ingresso libero)    = [OFF]\r\n\r\n");
    EXPECT_EQ(inputStatusText(0x80), inputStatusText(0));  // bit 7 is not shown
    EXPECT_EQ(m.ReceiveMode, InputPoll);

    // The reply tick left PhaseToggle at -1, and a change of mode keeps it: the first memory
    // tick is a reply tick.
    host.text.clear();
    port.clearSent();
    tick(MemoryStep, "\x07");
    EXPECT_EQ(host.text.text(), "AH= 0000 DH = 07 : \x07\r\n");
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(EngineTest, OutputTestSendsThePatternAndShowsFourValuesOfTheEcho)
{
    m.PhaseToggle = -1;
    m.OutputBytes = {0x81, 0x01, 0x80, 0x00, 0x00, 0x55};
    tick(OutputTest, "old");
    EXPECT_EQ(port.events, (std::vector<std::string>{"discard", "write:!", "write:\x81", "write:\x01", "write:\x80",
                                                     std::string("write:\0", 7), std::string("write:\0", 7)}));
    tick(OutputTest, "\x01\x02\x03\xFA\x05\x06");
    EXPECT_EQ(host.text.text(), "1\r\n2\r\n3\r\n250\r\n");
    m.PhaseToggle = 0;
    tick(OutputTest);
    EXPECT_EQ(host.text.text(), kNoAnswer);
}

TEST_F(EngineTest, MemoryStepRequestsThenAppendsOneLine)
{
    const struct { std::string reply, line; } cases[] = {
        {"\x41" "8192", "AH= 2000 DH = 41 : A\r\n"},
        {std::string("\0" "4096", 5), "AH= 1000 DH = FF : \xFF\r\n"},
        {"", "AH= 0000 DH = FF : \xFF\r\n"},
        {"\x41-1", "AH= FFFF DH = 41 : A\r\n"},
    };
    for (const auto& c : cases) {
        host.text.set("> ");
        port.clearSent();
        tick(MemoryStep, "junk");
        EXPECT_EQ(port.events, (std::vector<std::string>{"take", "write:&"}));
        EXPECT_EQ(host.interval, 80);
        tick(MemoryStep, c.reply);
        EXPECT_EQ(host.text.text(), "> " + c.line);
        EXPECT_EQ(m.ReceiveMode, Terminal);  // a single step
    }
    m.SeqReadActive = -1;
    tick(MemoryStep);
    tick(MemoryStep);
    EXPECT_EQ(m.ReceiveMode, MemoryStep);  // sequential reading goes on
}

TEST_F(EngineTest, SimStepTakesRowsOf4To12Bytes)
{
    m.RowCounter = 5;
    tick(SimStep, "\x01\x02\x03");
    EXPECT_TRUE(host.calls().empty());
    tick(SimStep, "\x04");
    EXPECT_EQ(host.calls(), (std::vector<std::string>{"MascPro:0", "conta"}));  // next row asked first
    EXPECT_EQ(m.RowBuffer[3], 4);
    m.RowCounter = 6;
    tick(SimStep, std::string(12, '\x09'));
    EXPECT_EQ(host.calls().size(), 3u);  // drawn, no further request
    tick(SimStep, std::string(13, '\x07'));
    EXPECT_EQ(host.calls().size(), 3u);  // 13 bytes: dropped, nothing drawn or asked
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_EQ(m.RowBuffer[0], 9);
}

TEST_F(EngineTest, TerminalAppendsEverythingAndOtherModesDoNothing)
{
    tick(Terminal, std::string("ciao\r\n\0\xE8", 8));
    tick(Terminal);
    EXPECT_EQ(host.text.text(), std::string("ciao\r\n\0\xE8", 8));
    port.clearSent();
    for (int mode : {8, 255}) {
        tick(static_cast<std::uint8_t>(mode), "x");
        EXPECT_TRUE(port.events.empty()) << mode;
    }
    engine.setPort(nullptr);  // unconnected: a stray tick touches nothing
    tick(ParamRead);
    EXPECT_EQ(host.text.text(), std::string("ciao\r\n\0\xE8", 8));
}

TEST(MemoryAddress, ReadsADecimalNumberRoundedAndClipped)
{
    const struct { const char* text; int value; } cases[] = {
        {"8192", 8192}, {"  12", 12}, {"-5", -5}, {"12abc", 12}, {"2.5", 2}, {"3.5", 4},
        {"1e3", 1000}, {"40000", 32767}, {"-40000", -32768}, {"", 0}, {"abc", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseMemoryAddress(c.text), c.value) << c.text;
}

}  // namespace
}  // namespace tq
