// "Trafferisci parametri nel TQ310" and "Salva parametri  nella EEPROM" against the scripted
// port: the write frame as the controller receives it, the commit's comparisons and refusals; and
// the production simulation's course rows: marks, direction, counter and scroll.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "operations/simulation_rows.h"
#include "operations/transfers.h"
#include "support/fake_host.h"
#include "support/scripted_port.h"

namespace tq {
namespace {

const std::string kParamsRefusal =
    " Operazione annullata :I parametri del buffer non sono uguali a quelli del TQ310 ";
const std::string kTextsRefusal = " Operazione annullata : i parametri della lingua sono diversi  dal TQ310 ";

struct TransfersTest : ::testing::Test {
    Module1 m;
    test::ScriptedPort port;
    test::FakeHost host;
    TransfersTest() { host.log = &port.events; }  // one order across the port and the window
    LinkContext ctx() { return {m, port, host}; }
};

TEST_F(TransfersTest, WriteSendsLTheRecordWithAFreshCrcAndTheTextsAs177Bytes)
{
    // Parameter 1 = 1 and the rest 0: the CRC is 0xFA20. The stale CRC bytes must not go out.
    m.FileParams[0] = 1;
    m.FileParams[54] = m.FileParams[55] = 7;
    m.FileMenuTexts[0] = "TROPPO LUNGO!";
    m.FileMenuTexts[1] = "abc";
    for (int i = 12; i < kMenuTextSlots; ++i)
        m.FileMenuTexts[i] = "NON INVIARE";  // slots 12-20 never travel
    startInputPolling(ctx());
    port.clearSent();
    host.text.set("prima");
    writeWorkingCopy(ctx(), [this](const std::string& caption) { host.note("Label5:" + caption); });

    const std::string record = "\x01" + std::string(53, '\0') + "\xFA\x20";
    EXPECT_EQ(port.events, (std::vector<std::string>{"write:L", "Label5:250-32 File", "write:" + record,
                                                     "write:TROPPO LUNabc       " + std::string(100, ' ')}));
    EXPECT_EQ(port.sent().size(), 177u);  // and nothing is read: the controller does not answer "L"

    std::string lines = "1 [1]\r\n";
    for (int n = 2; n <= 54; ++n)
        lines += std::to_string(n) + " [0]\r\n";
    EXPECT_EQ(host.text.text(), lines + "55 [250]\r\n56 [32]\r\n");
    EXPECT_EQ(m.Engine.mode(), ReceiveMode::InputPoll);
}

TEST_F(TransfersTest, CommitSendsWAndThePasswordOnlyWhenTheCopiesAgree)
{
    struct Case {
        const char* what;
        std::function<void(Module1&)> change;
        CommitCheck check;
        std::string refusal;   // the message box's text, empty when the commit goes through
        const char* terminal;  // a parameter refusal leaves it alone, a text refusal shows the slot-20 pair
    };
    const Case cases[] = {
        {"nothing", [](Module1&) {}, CommitCheck::Agree, "", "Parametri salvati in EEPROM"},
        {"a parameter", [](Module1& m) { m.ChipParams[17] ^= 1; }, CommitCheck::ParamsDiffer, kParamsRefusal, "prima"},
        {"the spare byte", [](Module1& m) { m.ChipParams[56] = 1; }, CommitCheck::ParamsDiffer, kParamsRefusal, "prima"},
        {"parameters and texts", [](Module1& m) { m.ChipParams[0] ^= 1; m.ChipMenuTexts[0] = "x"; },
         CommitCheck::ParamsDiffer, kParamsRefusal, "prima"},
        // The controller pads a text shorter than 10 that came from a file.
        {"a short text", [](Module1& m) { m.FileMenuTexts[1] = "TESTO 11"; }, CommitCheck::TextsDiffer, kTextsRefusal, "\r\n"},
        {"slot 12", [](Module1& m) { m.FileMenuTexts[12] = "DODICI"; }, CommitCheck::TextsDiffer, kTextsRefusal, "\r\n"},
        {"slot 20", [](Module1& m) { m.FileMenuTexts[20] = "VENTI"; }, CommitCheck::TextsDiffer, kTextsRefusal, "VENTI\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // A working copy and a device copy that agree, as a read-back of a write leaves them.
        m.FileParams = m.ChipParams = {};
        m.FileMenuTexts = m.ChipMenuTexts = {};
        for (int i = 0; i < kParamCount; ++i)
            m.FileParams[i] = m.ChipParams[i] = static_cast<std::uint8_t>(i * 5 + 1);
        for (int k = 0; k < 12; ++k)
            m.FileMenuTexts[k] = m.ChipMenuTexts[k] = "TESTO " + std::to_string(k + 10) + "  ";
        c.change(m);
        host.text.set("prima");
        port.clearSent();
        // The comparisons alone never send, whatever they find.
        EXPECT_EQ(compareForCommit(ctx()), c.check);
        EXPECT_EQ(port.sent(), "");
        EXPECT_EQ(commitToEeprom(ctx()), c.check);
        EXPECT_EQ(std::string(commitRefusalText(c.check) ? commitRefusalText(c.check) : ""), c.refusal);
        EXPECT_EQ(port.sent(), c.refusal.empty() ? "WVorela\r" : "");
        EXPECT_EQ(host.text.text(), c.terminal);
    }
}

TEST(SimulationRows, TheQuotedCourseWithTheToggledDirectionAndTheCounter)
{
    Module1 m;
    m.RowBuffer = {0x01, 0x00, 0x00, 0x80};
    m.RowDirection = "<";
    m.RowCounter = 3;
    SimulationRows rows;
    drawCourse(m, rows);
    EXPECT_EQ(rows[9] + "|" + m.RowDirection + std::to_string(m.RowCounter),
              "* . . . . . . .  . . . . . . . .  . . . . . . . .  . . . . . . . *  >3|>4");
    // Byte 3 holds positions 31-24, byte 0 positions 7-0, high bit first.
    EXPECT_EQ(courseMarks({0x12, 0x34, 0x56, 0x78}),
              ". * * * * . . .  . * . * . * * .  . . * * . * . .  . . . * . . * .  ");
}

TEST(SimulationRows, TheDirectionStartsFromParameterOneAlternatesAndTheNewestIsAtTheBottom)
{
    // Before any reset the direction is empty: the first course reads ">".
    EXPECT_EQ(toggledDirection(""), ">");
    // Twelve courses: 2 to 11 remain, 2 at the top, with the direction of course 0.
    for (const auto [startSide, top, bottom] : {std::tuple{0, ">2", "<11"}, {1, "<2", ">11"}, {2, "<2", ">11"}}) {
        Module1 m;
        m.FileParams[0] = std::uint8_t(startSide);
        m.RowDirection = resetDirection(m.FileParams);
        SimulationRows rows;
        for (int course = 0; course < 12; ++course)
            drawCourse(m, rows);
        EXPECT_EQ(rows[0].substr(68), top) << startSide;
        EXPECT_EQ(rows[9].substr(68), bottom) << startSide;
    }
}

}  // namespace
}  // namespace tq
