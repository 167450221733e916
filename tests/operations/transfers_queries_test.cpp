// "Lista voci dei menu dal TQ31" and "Lettura parametri fase uscita comandi": the requests and
// how the receive engine takes their answers, against the scripted port.
#include <gtest/gtest.h>

#include "link/commands.h"
#include "link/receive_engine.h"
#include "support/scripted_port.h"
#include "transfers_host.h"

namespace {

using tq::test::ScriptedPort;
using tq::test::TransfersHost;

const std::string kPhaseHeading = std::string(" Parametri momento uscita funzione ") + "\r\n\r\n" +
                                  "0= Fase uscita = conteggio" + "\r\n" + "1= Fase uscita = cancella cont." + "\r\n" +
                                  "2= Fase uscita = impulso 500 ms" + "\r\n\r\n" + "NOTA:" + "\r\n" +
                                  "Abilitate secondo se usate nella maglia corrente" + "\r\n\r\n";

// Twelve distinct 10-character texts, as the controller answers "J".
std::string menuAnswer()
{
    std::string s;
    for (int k = 0; k < 12; ++k)
        s += "TESTO " + std::string(k < 10 ? "0" : "") + std::to_string(k) + "  ";
    return s;
}

struct QueryFixture : ::testing::Test {
    tq::Module1 m;
    ScriptedPort port;
    TransfersHost host{m};
    tq::ReceiveEngine engine{m, host};

    void SetUp() override
    {
        m.NoAnswerText = tq::BuildNoAnswerText();
        engine.setPort(&port);
    }
    tq::LinkContext ctx() { return {m, port, host}; }
};

TEST_F(QueryFixture, menuListSetsThreeHundredMsAndDiscardsWhatWaitsBeforeJ)
{
    host.interval = 200;
    port.feed("resto di una risposta");
    tq::sendMenuListRequest(ctx());

    EXPECT_EQ(host.interval, 300);
    EXPECT_EQ(m.ReceiveMode, tq::MenuRead);
    EXPECT_EQ(port.events, (std::vector<std::string>{"take", "write:J"}));
    EXPECT_EQ(port.bytesWaiting(), 0);

    engine.tick();
    EXPECT_EQ(host.text.text(), m.NoAnswerText);
    EXPECT_EQ(m.ReceiveMode, tq::MenuRead);
}

TEST_F(QueryFixture, menuListAnswerCutAtOneHundredBytesThenTheRestAsPlainText)
{
    const std::string answer = menuAnswer();
    tq::sendMenuListRequest(ctx());
    port.feed(answer.substr(0, 87));
    engine.tick();
    EXPECT_EQ(host.text.text(), m.NoAnswerText);

    port.feed(answer.substr(87, 13));  // 100 bytes wait
    engine.tick();
    EXPECT_EQ(m.ReceiveMode, tq::Terminal);
    std::string expected = "VOCI NEL MENU = 12\r\n";
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(m.ChipMenuTexts[k], answer.substr(10 * k, 10)) << k;
        expected += answer.substr(10 * k, 10) + "\r\n";
    }
    EXPECT_EQ(m.ChipMenuTexts[10], "");
    EXPECT_EQ(m.ChipMenuTexts[11], "");
    expected += "\r\n\r\n";
    EXPECT_EQ(host.text.text(), expected);

    port.feed(answer.substr(100));
    engine.tick();
    EXPECT_EQ(host.text.text(), expected + "TESTO 10  TESTO 11  ");
    EXPECT_EQ(m.ChipMenuTexts[10], "");
    // The working copy is not touched by a menu list.
    EXPECT_EQ(m.FileMenuTexts[0], "");

    // The interval set for the list stays for whatever follows.
    EXPECT_EQ(host.interval, 300);
    tq::sendPhaseRequest(ctx());
    port.feed(std::string(32, '\1'));
    engine.tick();
    EXPECT_EQ(host.interval, 300);
}

TEST_F(QueryFixture, menuListCompletesAnUnfinishedCopyIntoTheWorkingBuffer)
{
    m.ChipToBuffer = 1;
    m.CurrentFileName = "parametri.ini";
    tq::sendMenuListRequest(ctx());
    port.feed(menuAnswer());
    engine.tick();

    EXPECT_EQ(m.ChipToBuffer, 0);
    EXPECT_EQ(m.FileMenuTexts[11], "TESTO 11  ");
    EXPECT_TRUE(m.CurrentFileName.empty());
    EXPECT_TRUE(host.text.text().ends_with("MATRICI COPIATE \r\n\r\nPROCEDURA COMPLETATA \r\n"));
}

TEST_F(QueryFixture, phaseReadoutOfFortyBytesShowsThirtyTwoValues)
{
    host.interval = 80;
    port.feed("\x02\x01");  // waiting before the request: not discarded, it counts as the answer's start
    tq::sendPhaseRequest(ctx());
    EXPECT_EQ(port.events, (std::vector<std::string>{"write:Y"}));
    EXPECT_EQ(m.ReceiveMode, tq::PhaseRead);
    EXPECT_EQ(host.interval, 80);

    std::string rest;
    for (int i = 3; i <= 40; ++i)
        rest += static_cast<char>(i % 3 == 0 ? 0 : i + 200);
    port.feed(rest);
    engine.tick();

    std::string expected = kPhaseHeading + "N.1 = 2\r\nN.2 = 1\r\n";
    for (int i = 3; i <= 32; ++i)
        expected += "N." + std::to_string(i) + " = " + std::to_string(i % 3 == 0 ? 0 : i + 200) + "\r\n";
    EXPECT_EQ(host.text.text(), expected);
    EXPECT_EQ(m.ReceiveMode, tq::Terminal);
    EXPECT_EQ(port.bytesWaiting(), 0);  // the eight surplus bytes are taken and dropped
    EXPECT_EQ(host.interval, 80);
}

TEST_F(QueryFixture, phaseReadoutShortOfThirtyTwoBytesLeavesTheTerminalAlone)
{
    host.text.set("prima");
    tq::sendPhaseRequest(ctx());
    port.feed(std::string(31, '\0'));
    engine.tick();
    EXPECT_EQ(host.text.text(), "prima");
    EXPECT_EQ(m.ReceiveMode, tq::PhaseRead);
    EXPECT_EQ(port.bytesWaiting(), 31);

    port.feed("\2");
    engine.tick();
    EXPECT_TRUE(host.text.text().ends_with("N.31 = 0\r\nN.32 = 2\r\n"));
    EXPECT_EQ(m.ReceiveMode, tq::Terminal);
}

}  // namespace
