// The receive engine, tick by tick, against the scripted port: what each mode takes, shows,
// stores and sends.
#include <gtest/gtest.h>

#include <functional>
#include <numeric>

#include "link/commands.h"
#include "link/receive_engine.h"
#include "support/fake_host.h"
#include "support/scripted_port.h"

namespace tq {
namespace {

using Log = std::vector<std::string>;
using Sender = std::function<void(const LinkContext&)>;

const std::string kNoAnswer = " La macchina non risponde !!\r\n\r\n Controllare che non sia \r\n in produzione";
const std::string kTexts = "SELEZIONA CARTELLA  PARTE     NUOVA LETTDISCO     TIPO----- TAGLIA--  PARTE 2   "
                           "CARRO     SCOLLO    RANGHI    CONTAPEZZI";

// The answer to "H": parameter i holds i + 1, CRC 0xAB 0xCD.
std::string record()
{
    std::string s(54, '\0');
    std::iota(s.begin(), s.end(), '\1');
    return s + "\xAB\xCD";
}

// The terminal after a menu-text read of these bytes.
std::string menuList(const std::string& s)
{
    std::string t = "VOCI NEL MENU = 12\r\n";
    for (std::size_t k = 0; k < 12; ++k)
        t += (10 * k < s.size() ? s.substr(10 * k, 10) : "") + "\r\n";
    return t;
}

// The engine on a scripted port and a recording main window, both logging into one list.
class EngineTest : public ::testing::Test {
protected:
    EngineTest() : engine(m, host)
    {
        m.NoAnswerText = BuildNoAnswerText();
        host.module = &m;
        host.log = &port.events;
        engine.setPort(&port);
    }
    // The engine put in a mode as a window puts it, by a sender, whose own steps are not logged.
    void enter(const Sender& sender)
    {
        sender(LinkContext{m, port, host});
        port.clearSent();
    }
    // One tick with `answer` newly arrived: what it asked of the port and the window.
    Log tick(const std::string& answer = {})
    {
        port.clearSent();
        port.feed(answer);
        engine.tick();
        return port.events;
    }
    Module1 m;
    test::FakeHost host;
    test::ScriptedPort port;
    ReceiveEngine engine;
};

const auto readBack = [](const LinkContext& c) { sendReadBack(c, false); };
const auto menuPlus = [](const LinkContext& c) { sendPanelKey(c, PanelKey::MenuPlus); };

TEST_F(EngineTest, ParamReadWaitsFor56BytesThenAsksForTheTexts)
{
    enter(readBack);
    EXPECT_EQ(tick(record().substr(0, 55)), Log{});  // nothing taken, nothing asked
    EXPECT_EQ(host.text.text(), kNoAnswer);
    // Surplus bytes leave the port with the record.
    EXPECT_EQ(tick(record().substr(55) + "xyz"),
              (Log{"take", "Label4:171-205 Chip ", "ListInit@" + kNoAnswer, "ParUsb", "write:J"}));
    EXPECT_EQ(std::string(m.ChipParams.begin(), m.ChipParams.begin() + 56), record());
    EXPECT_EQ(host.text.text(), " OK parametri caricati!");
    EXPECT_EQ(m.Engine.mode(), ReceiveMode::MenuRead);

    tick(kTexts);
    EXPECT_EQ(host.text.text(), menuList(kTexts));
    EXPECT_EQ(m.ChipMenuTexts[11], "CONTAPEZZI");
    EXPECT_EQ(m.FileMenuTexts[0], "");  // the working copy is not touched
    EXPECT_EQ(m.Engine.mode(), ReceiveMode::Terminal);
}

TEST_F(EngineTest, ReadFromChipBufferCopiesIntoTheWorkingCopy)
{
    enter([](const LinkContext& c) { sendReadBack(c, true); });
    m.CurrentFileName = "macchina.ini";
    m.FileMenuTexts[12] = "vecchio";
    EXPECT_EQ(tick(record()), (Log{"take", "Label4:171-205 Chip ", "ListInit@" + kNoAnswer, "write:J"}));
    EXPECT_EQ(host.text.text(), "Lettura di 54 parametri dal TQ310\r\nOK\r\n");

    const std::string copied = menuList(kTexts) + "MATRICI COPIATE \r\n\r\n";
    const std::string completed = copied + "PROCEDURA COMPLETATA \r\n";
    EXPECT_EQ(tick(kTexts),
              (Log{"take", "ListInit@" + copied, "Label1: Dati recuperati dal TQ310", "readBack@" + completed}));
    EXPECT_EQ(host.text.text(), completed);
    EXPECT_EQ(m.FileParams[53], 54);
    EXPECT_NE(m.FileParams[54], 0xAB);  // the working CRC is recomputed, not copied
    EXPECT_EQ(m.FileMenuTexts[11], "CONTAPEZZI");
    EXPECT_EQ(m.FileMenuTexts[12], "");
    EXPECT_EQ(m.Engine.ChipToBuffer(), 0);
    EXPECT_EQ(m.CurrentFileName, "");
}

// The host hears of the menu texts last, once the engine's own text is complete; the read-back
// is complete only when the record came in the same read, with no other mode's tick in between
// and on the same line.
TEST_F(EngineTest, TheHostHearsOfTheTextsAndWhetherTheReadBackIsComplete)
{
    test::ScriptedPort other;
    // `early` bytes of the texts arrive at a tick of their own, too few to be taken.
    const struct { const char* name; bool record; std::size_t early; std::function<void()> between; const char* heard; } cases[] = {
        {"H then J", true, 0, [] {}, "readBack@"},
        {"J still incomplete at a tick", true, 40, [] {}, "readBack@"},
        {"the menu list alone", false, 0, [] {}, "texts@"},
        {"a key pressed before the menu list", true, 0, [&] { enter(menuPlus); tick(); enter(sendMenuListRequest); },
         "texts@"},
        {"another line before the texts came", true, 0, [&] { engine.setPort(&other); engine.setPort(&port); }, "texts@"},
    };
    for (const auto& c : cases) {
        m.ChipParamsRead = m.ChipMenuTextsRead = false;
        port.incoming.clear();
        enter(c.record ? Sender(readBack) : Sender(sendMenuListRequest));
        if (c.record)
            tick(record());
        EXPECT_EQ(m.ChipParamsRead, c.record) << c.name;
        c.between();
        if (c.early > 0)
            EXPECT_EQ(tick(kTexts.substr(0, c.early)), Log{}) << c.name;
        EXPECT_FALSE(m.ChipMenuTextsRead) << c.name;
        const Log log = tick(kTexts.substr(c.early));
        EXPECT_EQ(log.back(), c.heard + menuList(kTexts)) << c.name;
        EXPECT_TRUE(m.ChipMenuTextsRead) << c.name;
        // Nothing more to hear until the next texts.
        EXPECT_EQ(tick(), Log{}) << c.name;  // nothing waits: nothing taken, nothing heard
    }
}

TEST_F(EngineTest, MenuReadWithExactly88Characters)
{
    enter(sendMenuListRequest);
    tick(kTexts.substr(0, 87));
    EXPECT_EQ(host.text.text(), kNoAnswer);
    tick(kTexts.substr(87, 1));
    EXPECT_EQ(m.ChipMenuTexts[7], "PARTE 2   ");
    EXPECT_EQ(m.ChipMenuTexts[8], "CARRO   ");
    EXPECT_EQ(m.ChipMenuTexts[9] + m.ChipMenuTexts[10] + m.ChipMenuTexts[11], "");
    EXPECT_EQ(host.text.text(), menuList(kTexts.substr(0, 88)));
}

TEST_F(EngineTest, PhaseReadShowsThe32ValuesOf40Waiting)
{
    host.text.set("prima");
    enter(sendPhaseRequest);
    std::string answer(40, '\xC8');
    for (int i = 0; i < 32; ++i)
        answer[i] = static_cast<char>(i % 3);
    EXPECT_EQ(tick(answer.substr(0, 31)), Log{});
    EXPECT_EQ(host.text.text(), "prima");  // nothing shown while waiting
    EXPECT_EQ(tick(answer.substr(31)), Log{"take"});
    std::string expected = " Parametri momento uscita funzione \r\n\r\n0= Fase uscita = conteggio\r\n"
                           "1= Fase uscita = cancella cont.\r\n2= Fase uscita = impulso 500 ms\r\n\r\nNOTA:\r\n"
                           "Abilitate secondo se usate nella maglia corrente\r\n\r\n";
    for (int i = 1; i <= 32; ++i)
        expected += "N." + std::to_string(i) + " = " + std::to_string((i - 1) % 3) + "\r\n";
    EXPECT_EQ(host.text.text(), expected);
    EXPECT_EQ(m.Engine.mode(), ReceiveMode::Terminal);
}

TEST_F(EngineTest, InputPollAlternatesRequestAndReplyAndItsToggleCarriesOver)
{
    enter(startInputPolling);
    EXPECT_EQ(tick(), Log{});  // PhaseToggle starts at 0: a reply tick, and no reply
    EXPECT_EQ(host.text.text(), kNoAnswer);
    EXPECT_EQ(tick("stale"), (Log{"write:K", "discard"}));
    EXPECT_EQ(tick("\x05"), Log{"take"});
    EXPECT_EQ(host.text.text(), " Stato ingressi :\r\n\r\n"
                                "Mor.12(conteggio)          = [ON ]\r\n\r\n"
                                "Mor.13(cancella conteggio) = [OFF]\r\n\r\n"
                                "Mor.14(reset macchina)     = [ON ]\r\n\r\n"
                                "scheda(selettore lavoro)   = [OFF]\r\n\r\n"
                                "Mor.11(segnale power +24)  = [OFF]\r\n\r\n"
                                "Mor.13(selettore parametri)= [OFF]\r\n\r\n"
                                "Mor.15(ingresso libero)    = [OFF]\r\n\r\n");
    EXPECT_EQ(inputStatusText(0x80), inputStatusText(0));  // bit 7 is not shown
    EXPECT_EQ(m.Engine.mode(), ReceiveMode::InputPoll);

    // The reply tick left PhaseToggle at -1, and a change of mode keeps it: the first memory
    // tick is a reply tick.
    host.text.clear();
    enter([](const LinkContext& c) { startMemoryStep(c, false); });
    EXPECT_EQ(tick("\x07"), (Log{"timer:80", "take"}));
    EXPECT_EQ(host.text.text(), "AH= 0000 DH = 07 : \x07\r\n");
}

TEST_F(EngineTest, OutputTestSendsThePatternAndShowsFourValuesOfTheEcho)
{
    enter([](const LinkContext& c) { startOutputTest(c.m, {0x81, 0x01, 0x80}); });
    m.OutputBytes[5] = 0x55;  // never sent
    tick();  // PhaseToggle starts at 0: a reply tick, and no reply
    EXPECT_EQ(host.text.text(), kNoAnswer);
    EXPECT_EQ(tick("old"), (Log{"discard", "write:!", "write:\x81", "write:\x01", "write:\x80",
                                            std::string("write:\0", 7), std::string("write:\0", 7)}));
    tick("\x01\x02\x03\xFA\x05\x06");
    EXPECT_EQ(host.text.text(), "1\r\n2\r\n3\r\n250\r\n");
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
        enter([](const LinkContext& c) { startMemoryStep(c, false); });
        EXPECT_EQ(tick("junk"), (Log{"timer:80", "take", "write:&"}));
        tick(c.reply);
        EXPECT_EQ(host.text.text(), "> " + c.line);
        EXPECT_EQ(m.Engine.mode(), ReceiveMode::Terminal);  // a single step
    }
    enter([](const LinkContext& c) { startMemoryStep(c, true); });
    tick();
    tick();
    EXPECT_EQ(m.Engine.mode(), ReceiveMode::MemoryStep);  // sequential reading goes on
}

TEST_F(EngineTest, SimStepTakesRowsOf4To12Bytes)
{
    enter(requestSimulationStep);
    m.RowCounter = 5;
    EXPECT_EQ(tick("\x01\x02\x03"), Log{});
    EXPECT_EQ(tick("\x04"), (Log{"take", "timer:50", "write:S", "conta"}));  // the next row asked first
    EXPECT_EQ(m.RowBuffer[3], 4);
    m.RowCounter = 6;
    EXPECT_EQ(tick(std::string(12, '\x09')), (Log{"take", "conta"}));  // no further request
    EXPECT_EQ(tick(std::string(13, '\x07')), Log{"take"});  // dropped: nothing drawn or asked
    EXPECT_EQ(m.RowBuffer[0], 9);
}

TEST_F(EngineTest, TerminalAppendsEverythingAndUnconnectedNothingHappens)
{
    const std::string received("ciao\r\n\0\xE8", 8);
    tick(received);
    tick();
    EXPECT_EQ(host.text.text(), received);
    enter(startInputPolling);
    engine.setPort(nullptr);  // unconnected: a stray tick touches nothing
    EXPECT_EQ(tick(), Log{});
    EXPECT_EQ(host.text.text(), received);
}

TEST_F(EngineTest, TerminalTakesAFloodWhole)
{
    // More than the terminal holds arrives between two ticks: all of it leaves the port, and the
    // terminal keeps its end.
    std::string flood(400 * 1024, ' ');
    for (std::size_t i = 0; i < flood.size(); ++i)
        flood[i] = static_cast<char>('a' + i % 26);
    tick(flood);
    EXPECT_EQ(port.incoming, "");
    EXPECT_EQ(host.text.text(), flood.substr(flood.size() - host.text.bound() * 3 / 4));
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
