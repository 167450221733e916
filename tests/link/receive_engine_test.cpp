// The receive engine, tick by tick, against the scripted port: what each mode takes, shows,
// stores and sends.
#include <gtest/gtest.h>

#include "link/fake_host.h"
#include "link/receive_engine.h"
#include "support/scripted_port.h"

namespace tq {
namespace {

using test::FakeHost;
using test::ScriptedPort;

const std::string kNoAnswer = " La macchina non risponde !!\r\n\r\n Controllare che non sia \r\n in produzione";

std::string bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

// The 56-byte answer to "H": parameter i holds i + 1, then CRC 0xAB 0xCD.
std::string paramAnswer()
{
    std::string s;
    for (int i = 0; i < 54; ++i)
        s += static_cast<char>(i + 1);
    return s + bytes({0xAB, 0xCD});
}

// Twelve distinct 10-character texts.
std::string menuAnswer()
{
    std::string s;
    for (int k = 0; k < 12; ++k)
        s += "VOCE " + std::string(1, static_cast<char>('A' + k)) + "....";
    return s;
}

class EngineTest : public ::testing::Test {
protected:
    EngineTest() : engine(m, host)
    {
        m.NoAnswerText = BuildNoAnswerText();
        host.module = &m;
        engine.setPort(&port);
    }

    Module1 m;
    FakeHost host;
    ScriptedPort port;
    ReceiveEngine engine;
};

TEST_F(EngineTest, ParamReadWaitsFor56BytesThenStoresShowsAndAsksForTheTexts)
{
    m.ReceiveMode = ParamRead;
    const std::string answer = paramAnswer();
    port.feed(answer.substr(0, 55));
    engine.tick();
    EXPECT_EQ(host.text.text(), kNoAnswer);
    EXPECT_EQ(port.bytesWaiting(), 55);  // nothing taken
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(m.ReceiveMode, ParamRead);

    port.feed(answer.substr(55) + "xyz");  // surplus bytes are dropped with the record
    engine.tick();
    for (int i = 0; i < 56; ++i)
        EXPECT_EQ(m.ChipParams[i], static_cast<std::uint8_t>(answer[i])) << i;
    EXPECT_EQ(m.ChipParams[56], 0);
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_EQ(host.label4, "171-205 Chip ");
    EXPECT_EQ(host.text.text(), " OK parametri caricati!");
    EXPECT_TRUE(host.parUsbEnabled);
    EXPECT_EQ(m.ReceiveMode, MenuRead);
    EXPECT_EQ(port.writes, std::vector<std::string>{"J"});
    EXPECT_EQ(host.calls(), (std::vector<std::string>{"Label4:171-205 Chip ", "ListInit@" + kNoAnswer, "ParUsb"}));
}

TEST_F(EngineTest, ReadFromDaltq310EndsWithTheMenuList)
{
    m.ReceiveMode = ParamRead;
    port.feed(paramAnswer());
    engine.tick();
    engine.tick();  // the texts have not come yet
    EXPECT_EQ(host.text.text(), kNoAnswer);
    port.feed(menuAnswer());
    engine.tick();

    std::string expected = "VOCI NEL MENU = 12\r\n";
    for (int k = 0; k < 12; ++k)
        expected += menuAnswer().substr(10 * k, 10) + "\r\n";
    EXPECT_EQ(host.text.text(), expected);
    EXPECT_EQ(m.ChipMenuTexts[11], "VOCE L....");
    EXPECT_EQ(m.ReceiveMode, Terminal);
    EXPECT_EQ(m.FileParams[0], 0);  // the working copy is not touched
    EXPECT_EQ(m.FileMenuTexts[0], "");
}

TEST_F(EngineTest, ReadFromChipBufferCopiesIntoTheWorkingCopy)
{
    m.ChipToBuffer = 1;
    m.ReceiveMode = ParamRead;
    m.CurrentFileName = "macchina.ini";
    m.FileMenuTexts[12] = "vecchio";
    m.FileMenuTexts[13] = "resta";
    port.feed(paramAnswer());
    engine.tick();
    EXPECT_EQ(host.text.text(), "Lettura di 54 parametri dal TQ310\r\nOK\r\n");
    EXPECT_FALSE(host.parUsbEnabled);
    EXPECT_EQ(port.writes, std::vector<std::string>{"J"});
    EXPECT_EQ(m.ChipToBuffer, 1);

    port.feed(menuAnswer());
    engine.tick();
    std::string list = "VOCI NEL MENU = 12\r\n";
    for (int k = 0; k < 12; ++k)
        list += menuAnswer().substr(10 * k, 10) + "\r\n";
    EXPECT_EQ(host.text.text(), list + "MATRICI COPIATE \r\n\r\nPROCEDURA COMPLETATA \r\n");
    for (int i = 0; i < 54; ++i)
        EXPECT_EQ(m.FileParams[i], i + 1) << i;
    EXPECT_NE(m.FileParams[54], 0xAB);  // the working CRC is recomputed, not copied
    EXPECT_EQ(m.FileMenuTexts[0], "VOCE A....");
    EXPECT_EQ(m.FileMenuTexts[12], "");
    EXPECT_EQ(m.FileMenuTexts[13], "resta");
    EXPECT_EQ(m.ChipToBuffer, 0);
    EXPECT_EQ(m.CurrentFileName, "");
    EXPECT_EQ(host.label1, " Dati recuperati dal TQ310");
    // The list is rebuilt between the two reports.
    const auto& calls = host.calls();
    EXPECT_EQ(calls[calls.size() - 2], "ListInit@" + list + "MATRICI COPIATE \r\n\r\n");
    EXPECT_EQ(m.ReceiveMode, Terminal);
}

TEST_F(EngineTest, MenuReadWithExactly88Characters)
{
    m.ReceiveMode = MenuRead;
    port.feed(menuAnswer().substr(0, 87));
    engine.tick();
    EXPECT_EQ(host.text.text(), kNoAnswer);
    EXPECT_EQ(port.bytesWaiting(), 87);

    port.feed(menuAnswer().substr(87, 1));
    engine.tick();
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(m.ChipMenuTexts[k].size(), 10u) << k;
    EXPECT_EQ(m.ChipMenuTexts[8], "VOCE I..");
    for (int k = 9; k < 12; ++k)
        EXPECT_EQ(m.ChipMenuTexts[k], "") << k;
    EXPECT_TRUE(host.text.text().ends_with("VOCE I..\r\n\r\n\r\n\r\n"));
    EXPECT_EQ(m.ReceiveMode, Terminal);
}

TEST_F(EngineTest, PhaseReadShowsThe32ValuesOf40Waiting)
{
    m.ReceiveMode = PhaseRead;
    host.text.set("prima");
    std::string answer;
    for (int i = 0; i < 40; ++i)
        answer += static_cast<char>(i < 32 ? i % 3 : 200);
    port.feed(answer.substr(0, 31));
    engine.tick();
    EXPECT_EQ(host.text.text(), "prima");  // nothing shown while waiting
    EXPECT_EQ(port.bytesWaiting(), 31);

    port.feed(answer.substr(31));
    engine.tick();
    std::string expected =
        " Parametri momento uscita funzione \r\n\r\n"
        "0= Fase uscita = conteggio\r\n"
        "1= Fase uscita = cancella cont.\r\n"
        "2= Fase uscita = impulso 500 ms\r\n\r\n"
        "NOTA:\r\n"
        "Abilitate secondo se usate nella maglia corrente\r\n\r\n";
    for (int i = 1; i <= 32; ++i)
        expected += "N." + std::to_string(i) + " = " + std::to_string((i - 1) % 3) + "\r\n";
    EXPECT_EQ(host.text.text(), expected);
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_EQ(m.ReceiveMode, Terminal);
}

TEST_F(EngineTest, InputPollAlternatesRequestAndReply)
{
    m.ReceiveMode = InputPoll;
    engine.tick();  // PhaseToggle starts at 0: a reply tick, with nothing waiting
    EXPECT_EQ(host.text.text(), kNoAnswer);
    EXPECT_EQ(m.PhaseToggle, -1);

    port.feed("stale");
    engine.tick();
    EXPECT_EQ(port.events, (std::vector<std::string>{"write:K", "discard"}));
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_EQ(m.PhaseToggle, 0);

    const struct { int reply; const char* states[7]; } cases[] = {
        {0x05, {"[ON ]", "[OFF]", "[ON ]", "[OFF]", "[OFF]", "[OFF]", "[OFF]"}},
        {0x80, {"[OFF]", "[OFF]", "[OFF]", "[OFF]", "[OFF]", "[OFF]", "[OFF]"}},
        {0x7F, {"[ON ]", "[ON ]", "[ON ]", "[ON ]", "[ON ]", "[ON ]", "[ON ]"}},
    };
    const char* labels[7] = {
        "Mor.12(conteggio)          = ", "Mor.13(cancella conteggio) = ", "Mor.14(reset macchina)     = ",
        "scheda(selettore lavoro)   = ", "Mor.11(segnale power +24)  = ", "Mor.13(selettore parametri)= ",
        "Mor.15(ingresso libero)    = ",
    };
    for (const auto& c : cases) {
        m.PhaseToggle = 0;
        port.feed(bytes({c.reply}));
        engine.tick();
        std::string expected = " Stato ingressi :\r\n\r\n";
        for (int j = 0; j < 7; ++j)
            expected += std::string(labels[j]) + c.states[j] + "\r\n\r\n";
        EXPECT_EQ(host.text.text(), expected) << c.reply;
    }
    EXPECT_EQ(m.ReceiveMode, InputPoll);
}

TEST_F(EngineTest, OutputTestSendsThePatternAndShowsFourValuesOfTheEcho)
{
    m.ReceiveMode = OutputTest;
    m.PhaseToggle = -1;
    m.OutputBytes = {0x81, 0x01, 0x80, 0x00, 0x00, 0x55};
    port.feed("old");
    engine.tick();
    EXPECT_EQ(port.events, (std::vector<std::string>{"discard", "write:!", "write:" + bytes({0x81}), "write:" + bytes({0x01}),
                                                     "write:" + bytes({0x80}), "write:" + bytes({0}), "write:" + bytes({0})}));

    port.feed(bytes({1, 2, 3, 250, 5, 6}));
    engine.tick();
    EXPECT_EQ(host.text.text(), "1\r\n2\r\n3\r\n250\r\n");
    EXPECT_EQ(port.bytesWaiting(), 0);

    m.PhaseToggle = 0;
    engine.tick();
    EXPECT_EQ(host.text.text(), kNoAnswer);
    EXPECT_EQ(m.ReceiveMode, OutputTest);
}

TEST_F(EngineTest, MemoryStepRequestsThenAppendsOneLine)
{
    const struct { std::string reply; std::string line; } cases[] = {
        {bytes({0x41}) + "8192", "AH= 2000 DH = 41 : A\r\n"},
        {bytes({0x00}) + "4096", "AH= 1000 DH = FF : \xFF\r\n"},
        {"", "AH= 0000 DH = FF : \xFF\r\n"},
        {bytes({0x0A}) + "1", "AH= 0001 DH = 0A : \n\r\n"},
    };
    for (const auto& c : cases) {
        host.text.set("> ");
        m.ReceiveMode = MemoryStep;
        m.SeqReadActive = 0;
        m.PhaseToggle = 0;
        host.interval = 200;
        port.clearSent();
        port.feed("junk");
        engine.tick();
        EXPECT_EQ(port.events, (std::vector<std::string>{"take", "write:&"}));
        EXPECT_EQ(host.interval, 80);
        port.feed(c.reply);
        engine.tick();
        EXPECT_EQ(host.text.text(), "> " + c.line);
        EXPECT_EQ(m.ReceiveMode, Terminal);
    }
}

TEST_F(EngineTest, SequentialMemoryReadingGoesOnUntilTheFlagIsCleared)
{
    m.ReceiveMode = MemoryStep;
    m.SeqReadActive = -1;
    for (int i = 0; i < 3; ++i) {
        engine.tick();
        port.feed(bytes({0x30 + i}) + std::to_string(0x2000 + i));
        engine.tick();
    }
    EXPECT_EQ(port.sent(), "&&&");
    EXPECT_EQ(host.text.text(), "AH= 2000 DH = 30 : 0\r\nAH= 2001 DH = 31 : 1\r\nAH= 2002 DH = 32 : 2\r\n");
    EXPECT_EQ(m.ReceiveMode, MemoryStep);
    engine.tick();
    m.SeqReadActive = 0;  // "OFF": the byte in progress is completed
    engine.tick();
    EXPECT_EQ(m.ReceiveMode, Terminal);
}

TEST_F(EngineTest, PhaseToggleIsKeptFromInputPollToMemoryStep)
{
    m.ReceiveMode = InputPoll;
    engine.tick();  // reply tick, leaves PhaseToggle at -1
    m.ReceiveMode = MemoryStep;
    host.text.clear();
    port.feed(bytes({7}));
    engine.tick();  // so the first memory tick is a reply tick: the placeholder line
    EXPECT_EQ(host.text.text(), "AH= 0000 DH = 07 : \x07\r\n");
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(m.ReceiveMode, Terminal);
}

TEST_F(EngineTest, SimStepTakesRowsOf4To12Bytes)
{
    m.ReceiveMode = SimStep;
    port.feed(bytes({1, 2, 3}));
    engine.tick();
    EXPECT_TRUE(host.calls().empty());
    EXPECT_EQ(port.bytesWaiting(), 3);

    port.feed(bytes({4}));
    m.RowCounter = 5;
    engine.tick();
    EXPECT_EQ(host.calls(), (std::vector<std::string>{"MascPro:0", "conta"}));  // next row asked before drawing
    EXPECT_EQ(m.RowBuffer[0], 1);
    EXPECT_EQ(m.RowBuffer[3], 4);

    m.RowCounter = 6;
    port.feed(std::string(12, '\x09'));
    engine.tick();
    EXPECT_EQ(host.calls().back(), "conta");
    EXPECT_EQ(host.calls().size(), 3u);  // no further request from counter 6 on
    EXPECT_EQ(m.RowBuffer[11], 9);

    m.RowCounter = 0;
    port.feed(std::string(13, '\x07'));
    engine.tick();
    EXPECT_EQ(host.calls().size(), 3u);  // dropped: nothing drawn, nothing asked
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_EQ(m.RowBuffer[0], 9);
    EXPECT_EQ(m.ReceiveMode, SimStep);
}

TEST_F(EngineTest, TerminalAppendsEverythingAndUnknownModesDoNothing)
{
    host.text.set("> ");
    port.feed("ciao\r\n" + bytes({0, 0xE8}));
    engine.tick();
    engine.tick();  // nothing waiting: nothing appended
    EXPECT_EQ(host.text.text(), "> ciao\r\n" + bytes({0, 0xE8}));

    for (int mode : {8, 42, 255}) {
        m.ReceiveMode = static_cast<std::uint8_t>(mode);
        port.clearSent();
        port.feed("x");
        engine.tick();
        EXPECT_TRUE(port.events.empty()) << mode;
        EXPECT_EQ(host.text.text(), "> ciao\r\n" + bytes({0, 0xE8})) << mode;
    }

    engine.setPort(nullptr);  // unconnected: a stray tick touches nothing
    m.ReceiveMode = ParamRead;
    engine.tick();
    EXPECT_EQ(host.text.text(), "> ciao\r\n" + bytes({0, 0xE8}));
}

TEST(MemoryAddress, ReadsADecimalNumberRoundedAndClipped)
{
    const struct { const char* text; int value; } cases[] = {
        {"8192", 8192}, {"  12", 12}, {"-5", -5}, {"+7", 7}, {"12abc", 12}, {"2.5", 2}, {"3.5", 4},
        {"1e3", 1000}, {"1e", 1}, {"40000", 32767}, {"-40000", -32768}, {"", 0}, {"abc", 0}, {".", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseMemoryAddress(c.text), c.value) << c.text;
    EXPECT_EQ(memoryStepLine("A-1"), "AH= FFFF DH = 41 : A\r\n");
}

}  // namespace
}  // namespace tq
