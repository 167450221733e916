// The line to the controller, without a window: every sender's bytes and where the engine stands
// as they go out; the receive engine tick by tick against the scripted port; the clock that lets
// Timer1 sleep at rest; the chooser's list and its digit rule; the port opener; and the network
// line on real sockets. The faults they guard against: a byte, a mode or a step out of order; an
// answer taken short, long or into the wrong copy; a tick skipped that had work, or one off the
// grid; a port number that does not map back to its line; a lost line reported twice or before it
// was closed; a network line called open that cannot carry 9600 8N1, or a byte changed on the way.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <numeric>
#include <optional>

#include "link/commands.h"
#include "link/network_port.h"
#include "link/port_discovery.h"
#include "link/port_opener.h"
#include "link/receive_clock.h"
#include "link/receive_engine.h"
#include "link/system_ports.h"
#include "sim/com_port_server.h"
#include "sim/simulated_port.h"
#include "support/engine_on_line.h"
#include "support/scripted_port.h"

namespace tq {
namespace {

using Log = std::vector<std::string>;
using Sender = std::function<void(const LinkContext&)>;

// The port and the main window of one sender's run. The engine starts, through the senders, in
// the output test with sequential memory reading on, and the course count at a value no sender
// sets, so that a sender that leaves them shows; before each write the port notes the mode and
// whether the terminal still holds its earlier text.
struct SenderRig : test::ScriptedPort {
    SenderRig()
    {
        startMemoryStep(LinkContext{m, *this, host}, true);
        startOutputTest(m, {0, 0, 0});
        m.RowCounter = 9;
        host.log = &events;
        host.text.set("earlier text");
        feed("waiting");
    }
    std::string state() const
    {
        return "mode:" + std::to_string(int(m.Engine.mode())) + (host.text.text().empty() ? " cleared" : "");
    }
    void write(std::string_view bytes) override
    {
        events.push_back(state());
        ScriptedPort::write(bytes);
    }
    // What the sender left: the mode, the terminal, and sequential reading, the copy to the
    // working copy, the course count and the output pattern when it changed them (daltq310
    // leaves a pending copy for the next read-back).
    std::string left() const
    {
        std::string outputs;
        for (std::uint8_t b : m.OutputBytes)
            outputs += b ? std::to_string(b) + "," : "0,";
        const EngineState& e = m.Engine;
        return "left " + state() + (e.SeqReadActive() != -1 ? " seq:" + std::to_string(e.SeqReadActive()) : "") +
               (e.ChipToBuffer() != 0 ? " copy:" + std::to_string(e.ChipToBuffer()) : "") +
               (m.RowCounter != 9 ? " rows:" + std::to_string(m.RowCounter) : "") +
               (outputs != "0,0,0,0,0,0," ? " out:" + outputs : "");
    }
    Module1 m;
    test::FakeHost host;
};

TEST(Commands, EachSenderRunsItsStepsInOrder)
{
    auto key = [](PanelKey k) -> Sender { return [k](const LinkContext& c) { sendPanelKey(c, k); }; };
    auto address = [](MemoryAddress a) -> Sender { return [a](const LinkContext& c) { sendMemoryAddress(c, a); }; };
    auto readBack = [](bool copy) -> Sender { return [copy](const LinkContext& c) { sendReadBack(c, copy); }; };
    auto step = [](bool on) -> Sender { return [on](const LinkContext& c) { startMemoryStep(c, on); }; };
    auto outputs = [](const LinkContext& c) { startOutputTest(c.m, {0x81, 0x01, 0x80}); };
    auto noOutputs = [](const LinkContext& c) { stopOutputTest(c.m); };
    const struct { const char* name; Sender send; std::vector<std::string> events; } cases[] = {
        {"daltq310", readBack(false), {"take", "timer:200", "mode:1 cleared", "write:H", "left mode:1 cleared"}},
        {"ChipBuffer", readBack(true),
         {"take", "timer:200", "mode:1 cleared", "write:H", "left mode:1 cleared copy:1"}},
        {"VMenu", sendMenuListRequest, {"timer:300", "take", "mode:2", "write:J", "left mode:2"}},
        {"LPFU", sendPhaseRequest, {"mode:4", "write:Y", "left mode:4"}},
        {"RipIni", sendRepeatInit, {"mode:6", "write:z", "left mode:6"}},
        {"ErrEEprom", sendForceEepromError, {"mode:6", "write:@", "left mode:6"}},
        {"Menu +", key(PanelKey::MenuPlus), {"mode:0", "write:M", "left mode:0"}},
        {"Menu -", key(PanelKey::MenuMinus), {"mode:0", "write:N", "left mode:0"}},
        {"up", key(PanelKey::Up), {"mode:0", "write:2", "left mode:0"}},
        {"down", key(PanelKey::Down), {"mode:0", "write:1", "left mode:0"}},
        {"ENT", key(PanelKey::Enter), {"mode:6", "write:E", "left mode:0"}},
        {"light", key(PanelKey::Light), {"mode:0", "write:$", "left mode:0"}},
        {"Cancella testo", clearTerminal, {"left mode:6 cleared"}},
        {"test VDIP1", startVdipTest, {"timer:200", "left mode:0 cleared"}},
        {"Rileggi driver", sendRereadUsbKey, {"mode:0 cleared", "write:C", "left mode:0 cleared"}},
        {"lettura ingressi", startInputPolling, {"timer:60", "left mode:5"}},
        {"Adres = file", address(MemoryAddress::FileList), {"mode:0", "write:y", "left mode:0"}},
        {"Adres = cartelle", address(MemoryAddress::Folders), {"mode:0", "write:/", "left mode:0"}},
        {"Adres = dati", address(MemoryAddress::KnitData), {"mode:0", "write:R", "left mode:0"}},
        {"Passo", step(false), {"left mode:7 seq:0"}},
        {"ON", step(true), {"left mode:7"}},
        {"OFF", stopMemoryStep, {"left mode:6 seq:0"}},
        {"Produci", startSimulation, {"timer:50", "mode:3", "write:R", "left mode:3 rows:0"}},
        {"CONTEGGIO", requestSimulationStep, {"timer:50", "mode:3", "write:S", "left mode:3"}},
        {"output test", outputs, {"left mode:6 out:129,1,128,0,0,0,"}},
        {"output test closed", noOutputs, {"left mode:0"}},
    };
    for (const auto& c : cases) {
        SenderRig r;
        c.send(LinkContext{r.m, r, r.host});
        r.events.push_back(r.left());
        EXPECT_EQ(r.events, c.events) << c.name;
    }
}

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

// The engine on a scripted line and a recording main window, both logging into one list.
struct EngineRig : test::EngineOnLine {
    EngineRig() : EngineOnLine(std::make_unique<test::ScriptedPort>()) { host.log = &line.events; }
    test::ScriptedPort& line = static_cast<test::ScriptedPort&>(*port);
};

class EngineTest : public ::testing::Test, protected EngineRig {
protected:
    // The engine put in a mode as a window puts it, by a sender, whose own steps are not logged.
    void enter(const Sender& sender)
    {
        sender(ctx());
        line.clearSent();
    }
    // One tick with `answer` newly arrived: what it asked of the port and the window.
    Log tick(const std::string& answer = {})
    {
        line.clearSent();
        line.feed(answer);
        engine.tick();
        return line.events;
    }
};

const auto readParams = [](const LinkContext& c) { sendReadBack(c, false); };
const auto menuPlus = [](const LinkContext& c) { sendPanelKey(c, PanelKey::MenuPlus); };

TEST_F(EngineTest, ParamReadWaitsFor56BytesThenAsksForTheTexts)
{
    enter(readParams);
    EXPECT_EQ(tick(record().substr(0, 55)), Log{});  // nothing taken, nothing asked
    EXPECT_EQ(host.text.text(), kNoAnswer);
    // Surplus bytes leave the port with the record.
    EXPECT_EQ(tick(record().substr(55) + "xyz"),
              (Log{"take", "Label4:171-205 Chip ", "ListInit@" + kNoAnswer, "ParUsb", "write:J"}));
    EXPECT_EQ(std::string(m.ChipParams.begin(), m.ChipParams.begin() + 56), record());
    EXPECT_EQ(host.text.text(), " OK parametri caricati!");
    EXPECT_EQ(m.Engine.mode(), ReceiveMode::MenuRead);

    tick(kTexts);  // the terminal then: TheHostHearsOfTheTextsAndWhetherTheReadBackIsComplete
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
        {"another line before the texts came", true, 0, [&] { engine.setPort(&other); engine.setPort(&line); }, "texts@"},
    };
    for (const auto& c : cases) {
        m.ChipParamsRead = m.ChipMenuTextsRead = false;
        line.incoming.clear();
        enter(c.record ? Sender(readParams) : Sender(sendMenuListRequest));
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

// More than the terminal holds may arrive between two ticks: all of it leaves the port, and the
// terminal keeps its end.
TEST_F(EngineTest, TerminalAppendsEverythingAFloodWholeAndUnconnectedNothingHappens)
{
    const std::string received("ciao\r\n\0\xE8", 8);
    tick(received);
    tick();
    EXPECT_EQ(host.text.text(), received);
    std::string flood(400 * 1024, ' ');
    for (std::size_t i = 0; i < flood.size(); ++i)
        flood[i] = static_cast<char>('a' + i % 26);
    tick(flood);
    EXPECT_EQ(line.incoming, "");
    const std::string shown = flood.substr(flood.size() - host.text.bound() * 3 / 4);
    EXPECT_EQ(host.text.text(), shown);
    enter(startInputPolling);
    engine.setPort(nullptr);  // unconnected: a stray tick touches nothing
    EXPECT_EQ(tick(), Log{});
    EXPECT_EQ(host.text.text(), shown);
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

// The receive timer that sleeps at rest, over simulated time: a script of what the controller
// sends and what the user clicks runs twice against the engine on a scripted port, once with
// Timer1 ticking at every point of its grid as it always did, once with the sleeping clock. At
// every point of the grid both runs must show the same terminal text, have asked the same of the
// port and the window in the same order, and be in the same mode; the sleeping clock may skip
// only the ticks that do nothing. A clock that re-armed late, early or not at all, or slept in a
// mode that sends or shows something on a tick, shows up as a difference at some tick.

// At `at` ms the controller's bytes come in, or the user works a control (its sender runs; then
// the window tells the clock, as Form1 does after every sender).
struct Step {
    std::int64_t at;
    std::string bytes;
    Sender sender;
};

struct ClockRun {
    std::vector<std::string> seen;  // at each point of the grid, after the tick there: text, log, mode
    std::vector<std::int64_t> ticks;
    std::vector<std::int64_t> busyTicks;  // ticks that found a mode other than terminal, or bytes
};

constexpr std::int64_t kEnd = 3000;

// The engine, its port and its window on an open line, and the script's steps not yet run.
struct ClockRig : EngineRig {
    ClockRig(const std::vector<Step>& script, bool announces) : steps(script)
    {
        line.opened = true;
        line.announces = announces;
    }
    std::optional<std::int64_t> nextStep() const
    {
        return next < steps.size() ? std::optional(steps[next].at) : std::nullopt;
    }
    // Runs the next step; true when it was a sender.
    bool runStep()
    {
        const Step& s = steps[next++];
        if (s.sender)
            s.sender(ctx());
        else
            line.feed(s.bytes);
        return bool(s.sender);
    }
    void tick(ClockRun& run)
    {
        if (m.Engine.mode() != ReceiveMode::Terminal || line.bytesWaiting() > 0)
            run.busyTicks.push_back(now);
        engine.tick();
        run.ticks.push_back(now);
    }
    std::string look() const
    {
        return "at " + std::to_string(now) + ": " + host.text.text() + " | " +
               std::accumulate(line.events.begin(), line.events.end(), std::string(), [](auto a, auto& e) { return a + e + ","; }) +
               " | mode " + std::to_string(int(m.Engine.mode()));
    }

    std::vector<Step> steps;
    std::size_t next = 0;
    std::int64_t now = 0;
};

// Timer1 as it always ran: started at 0 with 100 ms, started again by every new interval, a tick
// at every point of its grid. At equal times the tick comes before the step.
ClockRun tickingRun(const std::vector<Step>& script)
{
    ClockRig rig(script, true);
    std::int64_t origin = 0, period = 100;
    rig.host.onInterval = [&](int ms) { origin = rig.now, period = ms; };
    ClockRun run;
    for (;;) {
        const std::int64_t tick = origin + ((rig.now - origin) / period + 1) * period;
        const std::optional<std::int64_t> step = rig.nextStep();
        if (step && *step < tick) {
            rig.now = *step;
            rig.runStep();
            continue;
        }
        if (tick > kEnd)
            return run;
        rig.now = tick;
        rig.tick(run);
        run.seen.push_back(rig.look());
    }
}

// The same script with the sleeping clock, looked at on the ticking run's grid. Timer1 is a real
// QTimer that never fires here (no event loop runs): the clock says when its next tick comes.
ClockRun sleepingRun(const std::vector<Step>& script, bool announces, const std::vector<std::int64_t>& lookAt)
{
    ClockRig rig(script, announces);
    QTimer timer1;
    timer1.setInterval(100);
    ClockRun run;
    ReceiveClock clock(timer1, rig.engine, [&] { rig.tick(run); }, [&] { return rig.now; });
    rig.host.onInterval = [&](int ms) { clock.setInterval(ms); };
    QObject::connect(&rig.line, &SerialPort::bytesArrived, &clock, &ReceiveClock::wake);
    clock.start();
    for (std::size_t looked = 0; looked < lookAt.size();) {
        // At equal times: the tick, then the look, then the step.
        const std::optional<std::int64_t> tick = clock.nextTick();
        const std::int64_t look = lookAt[looked];
        const std::optional<std::int64_t> step = rig.nextStep();
        if (tick && *tick <= look && (!step || *tick <= *step)) {
            rig.now = *tick;
            clock.timeout();
        } else if (!step || look <= *step) {
            rig.now = look;
            run.seen.push_back(rig.look());
            ++looked;
        } else {
            rig.now = *step;
            if (rig.runStep())
                clock.wake();
        }
    }
    return run;
}

TEST(ReceiveClock, SleepsOnlyThroughTicksThatDoNothing)
{
    const auto send = [](std::int64_t at, Sender sender) { return Step{at, {}, std::move(sender)}; };
    const auto bytes = [](std::int64_t at, std::string b) { return Step{at, std::move(b), {}}; };
    const struct {
        const char* name;
        std::vector<Step> script;
        bool announces;
        std::vector<std::int64_t> sleepingTicks;  // when the sleeping clock ticks; empty: at every tick
    } scenarios[] = {
        {"text now and then at rest",
         {bytes(250, "Pronto\r\n"), bytes(1234, "A"), bytes(1299, "B"), bytes(2510, "fine")},
         true, {100, 300, 1300, 2600}},
        {"a line that does not announce its bytes keeps every tick",
         {bytes(250, "Pronto\r\n"), bytes(1234, "A")}, false, {}},
        {"a read-back: 200 ms from the click, the texts one tick late",
         {send(530, readParams), bytes(600, record()), bytes(1000, std::string(120, 'T')), bytes(1500, "ciao")},
         true, {100, 730, 930, 1130, 1530}},
        {"the input monitor polls until a key returns to the terminal",
         {send(150, startInputPolling), bytes(350, "\x05"), bytes(420, "\x7F"),
          send(505, [](const LinkContext& c) { sendPanelKey(c, PanelKey::Enter); }), bytes(1111, "x")},
         true, {100, 210, 270, 330, 390, 450, 510, 1170}},
        {"memory stepping, then OFF completes the byte in progress",
         {send(420, [](const LinkContext& c) { startMemoryStep(c, true); }), bytes(520, "A 2000"),
          bytes(700, "B 2001"), send(750, stopMemoryStep), bytes(850, "C 2002"), bytes(1200, "dopo")},
         true, {100, 500, 580, 660, 740, 820, 900, 1220}},
        {"the output test, from a window that has no port to give",
         {send(333, [](const LinkContext& c) { startOutputTest(c.m, {0x81, 0x01, 0x80}); }),
          bytes(550, "\x01\x02\x03\x04"), send(760, [](const LinkContext& c) { stopOutputTest(c.m); }),
          bytes(1010, "eco")},
         true, {100, 400, 500, 600, 700, 800, 1100}},
        {"a new interval in terminal mode moves the grid of a sleeping clock",
         {send(333, startVdipTest), bytes(700, "VDIP ok\r\n")}, true, {100, 733}},
        {"a new interval moves a re-armed tick", {bytes(250, "a"), send(270, startVdipTest)}, true, {100, 470}},
        {"the production simulation keeps its 50 ms ticks",
         {send(0, startSimulation), bytes(30, "\x01\x02\x03\x04"), bytes(90, "\x05\x06\x07\x08\x09")}, true, {}},
    };
    for (const auto& s : scenarios) {
        SCOPED_TRACE(s.name);
        const ClockRun ticking = tickingRun(s.script);
        const std::vector<std::int64_t>& grid = ticking.ticks;  // the ticking run looks at every tick
        const ClockRun sleeping = sleepingRun(s.script, s.announces, grid);
        EXPECT_EQ(sleeping.seen, ticking.seen);
        // Every tick that had something to do came at its time; no tick came off the grid.
        for (std::int64_t t : ticking.busyTicks)
            EXPECT_EQ(std::count(sleeping.ticks.begin(), sleeping.ticks.end(), t), 1) << t;
        for (std::int64_t t : sleeping.ticks)
            EXPECT_EQ(std::count(grid.begin(), grid.end(), t), 1) << t;
        // And it slept where it could (a line that does not announce: never).
        EXPECT_EQ(sleeping.ticks, s.sleepingTicks.empty() ? ticking.ticks : s.sleepingTicks);
    }
}

// The chooser's digit rule itself: the port_digits fuzz target and its seed corpus. Port aliases
// and second paths to a device are symbolic links, and the tty class folder is Linux's: POSIX
// systems only.
#ifdef Q_OS_UNIX
TEST(Discovery, ListsDevicesAliasesAndTheSimulatorUnderNumbersThatMapBack)
{
    QTemporaryDir aliases;
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), aliases.filePath(QStringLiteral("tq310-sim"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), aliases.filePath(QStringLiteral("bridge7"))));
    ASSERT_TRUE(QFile(aliases.filePath(QStringLiteral("readme.txt"))).open(QIODevice::WriteOnly));  // not a port
    qputenv("TQ310_PORT_ALIASES", aliases.path().toLocal8Bit());

    const PortDiscovery found = GetSerialPortNames();
    qunsetenv("TQ310_PORT_ALIASES");
    ASSERT_TRUE(found.error.isEmpty()) << found.error.toStdString();

    std::vector<const PortEntry*> links;
    for (const PortEntry& e : found.entries) {
        EXPECT_EQ(portNumberFromEntry(e.name), std::optional<std::uint8_t>(e.number)) << e.name;
        EXPECT_EQ(findPort(found.entries, e.number), &e);
        if (e.kind == PortEntry::Kind::Alias)
            links.push_back(&e);
    }
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(links[0]->detail, QString::fromUtf8("bridge7 → /dev/zero"));
    EXPECT_EQ(links[0]->location, aliases.filePath(QStringLiteral("bridge7")));
    EXPECT_EQ(links[1]->detail, QString::fromUtf8("tq310-sim → /dev/null"));
    EXPECT_EQ(found.entries.back().kind, PortEntry::Kind::Simulated);  // listed last, always
    EXPECT_EQ(findPort(found.entries, 0), nullptr);
}

// A tty class folder laid out as the kernel lays out /sys: every terminal a link into the device
// tree, virtual terminals under devices/virtual, UART slots under the 8250 driver's platform
// device, USB adapters below their USB device with its product and maker.
TEST(SystemPorts, TheTtyClassGivesTheDevicesInOrderWithWhatTheirAdaptersSay)
{
    QTemporaryDir root;
    const QDir sys(root.path());
    // A terminal at devices/<devicePath>/tty/<name>, with the attribute files given (path below
    // devices/, contents).
    const auto add = [&](const QString& name, const QString& devicePath, std::vector<std::pair<QString, QByteArray>> files = {}) {
        const QString folder = QStringLiteral("devices/") + devicePath + QStringLiteral("/tty/") + name;
        ASSERT_TRUE(sys.mkpath(folder) && sys.mkpath(QStringLiteral("class/tty")));
        ASSERT_TRUE(QFile::link(QStringLiteral("../../") + folder, sys.filePath(QStringLiteral("class/tty/") + name)));
        for (const auto& [path, contents] : files) {
            QFile f(sys.filePath(QStringLiteral("devices/") + path));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(contents) == contents.size());
        }
    };
    const QString hub = QStringLiteral("pci0000:00/0000:00:14.0/usb1/1-3");
    add(QStringLiteral("tty0"), QStringLiteral("virtual"));
    add(QStringLiteral("ptmx"), QStringLiteral("virtual"));
    add(QStringLiteral("console"), QStringLiteral("virtual"));
    add(QStringLiteral("rfcomm0"), QStringLiteral("virtual"));  // a Bluetooth serial link is a line
    add(QStringLiteral("ttyS0"), QStringLiteral("pnp0/00:01"));
    add(QStringLiteral("ttyS1"), QStringLiteral("platform/serial8250"), {{"platform/serial8250/tty/ttyS1/type", "0\n"}});
    add(QStringLiteral("ttyS2"), QStringLiteral("platform/serial8250"), {{"platform/serial8250/tty/ttyS2/type", "4\n"}});
    add(QStringLiteral("ttyUSB0"), QStringLiteral("pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/ttyUSB0"),
        {{"pci0000:00/0000:00:14.0/usb1/1-2/product", "USB-Serial Controller\n"},
         {"pci0000:00/0000:00:14.0/usb1/1-2/manufacturer", "Prolific Technology Inc. \n"}});
    // Behind a hub: the adapter's own product, not the hub's.
    add(QStringLiteral("ttyACM0"), hub + QStringLiteral("/1-3.4/1-3.4:1.0"),
        {{hub + QStringLiteral("/product"), "USB2.0 Hub\n"}, {hub + QStringLiteral("/1-3.4/product"), "Uno R3\n"}});
    add(QStringLiteral("ttyUSB10"), QStringLiteral("pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/ttyUSB10"));
    add(QStringLiteral("ttyUSB2"), QStringLiteral("pci0000:00/0000:00:14.0/usb2/2-2/2-2:1.0/ttyUSB2"));

    const std::vector<SystemPort> ports = ttyClassSerialPorts(sys.filePath(QStringLiteral("class/tty")), QStringLiteral("/dev"));
    QStringList seen;
    for (const SystemPort& p : ports)
        seen << p.name + QLatin1Char('|') + p.location + QLatin1Char('|') + p.description + QLatin1Char('|') + p.manufacturer;
    EXPECT_EQ(seen.join(QLatin1Char('\n')).toStdString(),
              "rfcomm0|/dev/rfcomm0||\n"
              "ttyACM0|/dev/ttyACM0|Uno R3|\n"
              "ttyS0|/dev/ttyS0||\n"
              "ttyS2|/dev/ttyS2||\n"
              "ttyUSB0|/dev/ttyUSB0|USB-Serial Controller|Prolific Technology Inc.\n"
              "ttyUSB2|/dev/ttyUSB2||\n"
              "ttyUSB10|/dev/ttyUSB10||");
    EXPECT_TRUE(ttyClassSerialPorts(sys.filePath(QStringLiteral("class/tty-missing")), QStringLiteral("/dev")).empty());
}


// The port opener: a LOCATION names the same line, with the same port number and refusal, as
// picking its entry in the chooser; what it opens, what it reports when a line will not open,
// and that a lost line is reported once, after the opener closed it.
PortEntry entry(const char* name, std::uint8_t number, const QString& location,
                PortEntry::Kind kind = PortEntry::Kind::Device)
{
    return PortEntry{name, location, location, number, kind};
}

TEST(PortOpener, ALocationGivesWhatPickingItsEntryGives)
{
    // A device file with a second path to it, and an alias to another file.
    QTemporaryDir dir;
    const QString device = dir.filePath(QStringLiteral("ttyFAKE0"));
    const QString target = dir.filePath(QStringLiteral("pts-target"));
    for (const QString& f : {device, target})
        ASSERT_TRUE(QFile(f).open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::link(device, dir.filePath(QStringLiteral("by-id-link"))));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("ports")));
    const QString alias = dir.filePath(QStringLiteral("ports/banco"));
    ASSERT_TRUE(QFile::link(target, alias));
    const QString networkAlias = dir.filePath(QStringLiteral("ports/telaio"));
    ASSERT_TRUE(QFile::link(QStringLiteral("rfc2217://10.0.0.20:4001"), networkAlias));

    PortOpener opener({entry("Porta seriale (COM1)", 1, QStringLiteral("/dev/ttyUSB0")),
                       entry("Collegamento (COM2)", 2, alias, PortEntry::Kind::Alias),
                       // Its digits read 23: the chooser connects to 23, and so does its path.
                       entry("Prolific 2 (COM3)", 3, device),
                       simulatedControllerEntry(4),
                       entry("Adattatore 1234 (porta)", 5, QStringLiteral("/dev/ttyACM9")),
                       entry("Collegamento (COM8)", 8, networkAlias, PortEntry::Kind::Alias)},
                      {});
    const struct { QString location; int number; const char* refusal; } cases[] = {
        {QStringLiteral("sim"), 4, ""},
        {QStringLiteral("/dev/ttyUSB0"), 1, ""},
        {QStringLiteral("ttyUSB0"), 1, ""},  // as the system names it
        {QStringLiteral("banco"), 2, ""},
        {alias, 2, ""},
        {target, 2, ""},  // the file the alias leads to
        {dir.filePath(QStringLiteral("by-id-link")), 23, ""},
        {QStringLiteral("/dev/ttyACM9"), 0, " Numero di porta non valido (oltre 255): Adattatore 1234 (porta) "},
        // Not listed: one more line, numbered as the chooser numbers them, and kept.
        {QStringLiteral("/dev/pts/77"), 6, ""},
        {QStringLiteral("/dev/pts/77"), 6, ""},
        {QStringLiteral("ttyNONE"), 7, ""},
        {QStringLiteral("telaio"), 8, ""},
        {QStringLiteral("rfc2217://10.0.0.20:4001"), 8, ""},  // the URL the alias points at
        {QStringLiteral("tcp://10.0.0.20:4001"), 9, ""},
    };
    for (const auto& c : cases) {
        const PortPick pick = opener.resolve(c.location);
        EXPECT_EQ(pick.number, c.number) << c.location.toStdString();
        EXPECT_EQ(pick.refusal, c.refusal) << c.location.toStdString();
    }
    ASSERT_EQ(opener.entries().size(), 9u);
    EXPECT_EQ(opener.entries()[6].name, "Porta seriale (COM6)");

    // A list without the simulated controller gains it; a full list names nothing more.
    PortOpener bare({}, {});
    EXPECT_EQ(bare.resolve(QStringLiteral("sim")).number, 1);
    EXPECT_EQ(bare.entries()[0].name, "Controllore simulato (COM1)");
    std::vector<PortEntry> full;
    for (int n = 1; n <= 255; ++n)
        full.push_back(entry("Porta", std::uint8_t(n), QStringLiteral("/dev/ttyS%1").arg(n)));
    PortOpener crowded(full, {});
    const PortPick none = crowded.resolve(QStringLiteral("/dev/pts/9"));
    EXPECT_TRUE(none.number == 0 && none.refusal.empty() && crowded.entries().size() == 255);
}
#endif

TEST(PortOpener, TheSimulatedControllerOutlivesItsLineAndALostLineIsReportedOnce)
{
    PortOpener opener({}, sim::simulatedControllerLine());
    std::vector<QString> reports;
    opener.setLostHandler([&](const QString& reason) {
        EXPECT_EQ(opener.port(), nullptr);  // already closed
        reports.push_back(reason);
    });
    const std::uint8_t number = opener.resolve(QStringLiteral("sim")).number;
    QString error;
    ASSERT_TRUE(opener.open(number, &error));
    auto* line = qobject_cast<sim::SimulatedPort*>(opener.port());
    ASSERT_TRUE(line);
    sim::ControllerModel& controller = line->controller();
    controller.setFault(sim::Fault::LineDropped);
    line->write("H");  // finds the line gone
    line->write("H");
    EXPECT_TRUE(reports.empty() && line->bytesWaiting() == 0 && !line->isOpen());  // reported from the event loop
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reports.empty(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(reports, std::vector<QString>{sim::lineDroppedText()});
    EXPECT_EQ(connectionLostText(number, reports[0]),
              " Connessione persa con la porta Com.1 : il cavo del TQ310 simulato \xE8 stato scollegato ");

    // The next line reaches the same controller: still unplugged, then plugged in again.
    EXPECT_FALSE(opener.open(number, &error));
    EXPECT_EQ(error, sim::lineDroppedText());
    controller.setFault(sim::Fault::None);
    ASSERT_TRUE(opener.open(number, &error));
    EXPECT_EQ(&qobject_cast<sim::SimulatedPort*>(opener.port())->controller(), &controller);
    opener.port()->write("H");
    EXPECT_TRUE(QTest::qWaitFor([&] { return opener.port()->bytesWaiting() == 56; }));
}

// The network line on real sockets, against a device server scripted here: a server that
// refuses, says nothing, runs its port at another speed or does not know the COM-PORT-OPTION
// leaves nothing open and names the URL; one that first sends options nobody asked for and a
// huge subnegotiation is answered as Telnet says and still carries the line; every byte value
// crosses both ways unchanged; and a connection closed in the middle of a Telnet command is
// one lost line, the bytes before it kept. An open that does not wait ends the same way.
// One device server on the loopback address. With `telnet` it answers as tq310-sim --rfc2217
// does, its port at `baud`; it first sends `greeting`, and keeps the line's data it received.
struct DeviceServer {
    DeviceServer(bool telnet, std::string greeting, std::uint32_t baud)
    {
        listener.listen(QHostAddress::LocalHost);
        QObject::connect(&listener, &QTcpServer::newConnection, [=, this] {
            tool = listener.nextPendingConnection();
            if (telnet)
                comPort.emplace(baud);
            send(greeting);
            QObject::connect(tool, &QTcpSocket::readyRead, [this] {
                const std::string bytes = tool->readAll().toStdString();
                std::string reply;
                if (comPort)
                    comPort->receive(bytes, data, reply);
                else
                    data += bytes;
                send(reply);
                toolSaid += bytes;
            });
        });
    }
    void send(const std::string& bytes) { tool->write(bytes.data(), qint64(bytes.size())); }

    QTcpServer listener;
    QTcpSocket* tool = nullptr;
    std::optional<sim::ComPortServer> comPort;
    std::string data;      // the line's data, Telnet taken off
    std::string toolSaid;  // every byte the tool sent
};

// The open without waiting: nothing is reported inside startOpen, then what openFinished said
// and whether the line is open; empty when nothing came.
QVariantList openedLater(const QString& url)
{
    NetworkPort port(url);
    QSignalSpy finished(&port, &SerialPort::openFinished);
    port.startOpen();
    if (!finished.isEmpty() || !finished.wait(2 * NetworkPort::kOpenTimeoutMs))
        return {};
    return finished.takeFirst() << port.isOpen();
}

TEST(NetworkPort, OpensOnlyALineAt9600N81AndCarriesEveryByteUntilItCloses)
{
    using namespace telnet;
    const std::string strange = negotiation(kWill, 1) + negotiation(kDo, 24) +
        subnegotiation(24, std::string(100000, '\xFF')) + negotiation(kWill, 1) + negotiation(kDo, 31);
    enum Listener { Refuses, Silent, Answers };
    const struct {
        const char* scheme;
        Listener listener;
        std::string greeting;
        std::uint32_t baud;
        const char* error;  // after the URL; empty: the line opens
    } cases[] = {
        {"tcp", Refuses, {}, 9600, " ha rifiutato la connessione"},
        {"tcp", Answers, {}, 9600, ""},
        {"rfc2217", Answers, {}, 9600, ""},
        {"rfc2217", Answers, strange, 9600, ""},  // unknown options, a huge subnegotiation
        {"rfc2217", Answers, {}, 4800, " non accetta le impostazioni 9600,N,8,1"},
        {"rfc2217", Answers, negotiation(kDont, kComPort), 9600,
         " non gestisce il controllo della porta seriale (RFC 2217)"},
        {"rfc2217", Silent, {}, 9600, " non risponde"},
    };
    for (const auto& c : cases) {
        const bool isTelnet = c.scheme == std::string("rfc2217") && c.listener == Answers;
        DeviceServer server(isTelnet, c.greeting, c.baud);
        const QString url = QStringLiteral("%1://127.0.0.1:%2").arg(QLatin1String(c.scheme)).arg(server.listener.serverPort());
        SCOPED_TRACE(url.toStdString() + c.error);
        if (c.listener == Refuses)
            server.listener.close();

        NetworkPort port(url);
        QString said;
        const bool opens = *c.error == '\0';
        ASSERT_EQ(port.open(&said), opens);
        ASSERT_EQ(port.isOpen(), opens);
        if (!opens) {
            EXPECT_TRUE(said.contains(url + QString::fromUtf8(c.error))) << said.toStdString();
            EXPECT_EQ(openedLater(url), (QVariantList{false, said, false}));
            continue;
        }
        // Options the tool does not know are refused once each, and the huge subnegotiation
        // is passed over.
        Parser parser;
        std::string ignored;
        std::vector<Command> answers;
        parser.feed(server.toolSaid, ignored, answers);
        const Command refusals[] = {{kDont, 1, {}, false}, {kWont, 24, {}, false}, {kWont, 31, {}, false}};
        for (const Command& refusal : refusals)
            EXPECT_EQ(std::count(answers.begin(), answers.end(), refusal), c.greeting.empty() ? 0 : 1) << int(refusal.option);

        std::string all(256, '\0');
        std::iota(all.begin(), all.end(), '\0');
        port.write(all);
        ASSERT_TRUE(QTest::qWaitFor([&] { return server.data == all; }));
        server.send(isTelnet ? sim::ComPortServer::send(all) : all);
        ASSERT_TRUE(QTest::qWaitFor([&] { return port.bytesWaiting() == 256; }));
        EXPECT_EQ(port.takeAll(), all);

        // Closed after a byte 255: for Telnet that is half a command.
        QSignalSpy lost(&port, &SerialPort::deviceLost);
        server.send("AB\xFF");
        server.tool->disconnectFromHost();
        ASSERT_TRUE(QTest::qWaitFor([&] { return lost.count() == 1; }));
        EXPECT_EQ(lost.at(0).at(0).toString(), url + QStringLiteral(" ha chiuso la connessione"));
        EXPECT_EQ(port.takeAll(), std::string(isTelnet ? "AB" : "AB\xFF"));
        QCoreApplication::processEvents();
        EXPECT_EQ(lost.count(), 1);
        EXPECT_EQ(openedLater(url), (QVariantList{true, QString(), true}));
    }
}

}  // namespace
}  // namespace tq
