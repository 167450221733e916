// "Trafferisci parametri nel TQ310": the write frame as the controller receives it, and what the
// terminal lists, against the scripted port.
#include <gtest/gtest.h>

#include "operations/transfers.h"
#include "params/crc.h"
#include "support/scripted_port.h"
#include "transfers_host.h"

namespace {

using tq::test::ScriptedPort;
using tq::test::TransfersHost;

struct WriteFixture : ::testing::Test {
    tq::Module1 m;
    ScriptedPort port;
    TransfersHost host{m};
    std::vector<std::string> labels;

    tq::LinkContext ctx() { return {m, port, host}; }
    void write()
    {
        tq::writeWorkingCopy(ctx(), [this](const std::string& caption) {
            labels.push_back(caption);
            port.events.push_back("label5:" + caption);
        });
    }
};

TEST_F(WriteFixture, sendsLThenTheRecordThenTheTextsAs177BytesInThreeWrites)
{
    // Parameter 1 = 1 and the rest 0: the CRC is 0xFA20. Stale CRC bytes must not go out.
    m.FileParams[0] = 1;
    m.FileParams[54] = 7;
    m.FileParams[55] = 7;
    write();

    ASSERT_EQ(port.writes.size(), 3u);
    EXPECT_EQ(port.writes[0], "L");
    std::string record(56, '\0');
    record[0] = '\x01';
    record[54] = '\xFA';
    record[55] = '\x20';
    EXPECT_EQ(port.writes[1], record);
    EXPECT_EQ(port.writes[2], std::string(120, ' '));
    EXPECT_EQ(port.sent().size(), 177u);
    EXPECT_EQ(m.FileParams[54], 250);
    EXPECT_EQ(m.FileParams[55], 32);
}

TEST_F(WriteFixture, theCrcIsShownBetweenTheCommandAndTheRecordAndNothingIsRead)
{
    m.FileParams[0] = 1;
    port.feed("answer of an earlier command");
    write();

    ASSERT_EQ(port.events.size(), 4u);
    EXPECT_EQ(port.events[0], "write:L");
    EXPECT_EQ(port.events[1], "label5:250-32 File");
    EXPECT_EQ(port.events[2].substr(0, 6), "write:");
    EXPECT_EQ(port.events[2].size(), 6u + 56u);
    EXPECT_EQ(port.events[3].size(), 6u + 120u);
    EXPECT_EQ(port.incoming, "answer of an earlier command");
}

TEST_F(WriteFixture, bytesAbove127GoOutUnchangedWithTheirCrc)
{
    for (int i = 0; i < tq::kParamCount; ++i)
        m.FileParams[i] = static_cast<std::uint8_t>(255 - 3 * i);
    write();

    ASSERT_EQ(port.writes.size(), 3u);
    const std::string& record = port.writes[1];
    ASSERT_EQ(record.size(), 56u);
    for (int i = 0; i < tq::kParamCount; ++i)
        EXPECT_EQ(static_cast<std::uint8_t>(record[i]), 255 - 3 * i) << "parameter " << i + 1;
    const std::uint16_t crc = tq::crc16(m.FileParams.data(), tq::kParamCount);
    EXPECT_EQ(static_cast<std::uint8_t>(record[54]), crc >> 8);
    EXPECT_EQ(static_cast<std::uint8_t>(record[55]), crc & 0xFF);
}

TEST_F(WriteFixture, everyTextGoesOutAsExactlyTenCharacters)
{
    struct Case {
        std::string held;
        std::string sent;
    };
    const Case cases[12] = {
        {"TROPPO LUNGO!", "TROPPO LUN"},  // 13 characters: the first 10
        {"abc", "abc       "},            // 3 characters: 7 blanks follow
        {"", "          "},               // empty: 10 blanks
        {"CARTELLA 2", "CARTELLA 2"},
        {"\xE8 pi\xF9", "\xE8 pi\xF9     "},  // Latin-1 letters are one byte each
        {" x", " x        "},
        {"0123456789ABCDEF", "0123456789"},
        {"         z", "         z"},
        {"a b", "a b       "},
        {"", "          "},
        {"NOVE", "NOVE      "},
        {"undici....", "undici...."},
    };
    std::string expected;
    for (int i = 0; i < 12; ++i) {
        m.FileMenuTexts[i] = cases[i].held;
        expected += cases[i].sent;
    }
    // Slots 12-20 never travel to the controller.
    for (int i = 12; i < tq::kMenuTextSlots; ++i)
        m.FileMenuTexts[i] = "NON INVIARE";
    write();

    ASSERT_EQ(port.writes.size(), 3u);
    EXPECT_EQ(port.writes[2], expected);
    EXPECT_EQ(port.writes[2].size(), 120u);
    // The working copy keeps its texts as they were.
    EXPECT_EQ(m.FileMenuTexts[0], "TROPPO LUNGO!");
    EXPECT_EQ(m.FileMenuTexts[1], "abc");
}

TEST_F(WriteFixture, theTerminalListsTheFiftySixBytesNumberedFromOne)
{
    host.text.set("testo precedente\r\n");
    m.FileParams[0] = 1;
    write();

    std::string expected = "1 [1]\r\n";
    for (int n = 2; n <= 54; ++n)
        expected += std::to_string(n) + " [0]\r\n";
    expected += "55 [250]\r\n56 [32]\r\n";
    EXPECT_EQ(host.text.text(), expected);
}

TEST_F(WriteFixture, leavesTheModeTheTimerAndTheDeviceCopyAlone)
{
    for (std::uint8_t mode : {tq::Terminal, tq::MenuRead, tq::InputPoll}) {
        m.ReceiveMode = mode;
        host.interval = 60;
        m.ChipParams[5] = 42;
        m.ChipMenuTexts[0] = "DAL TQ310 ";
        write();
        EXPECT_EQ(m.ReceiveMode, mode);
        EXPECT_EQ(host.interval, 60);
        EXPECT_EQ(m.ChipParams[5], 42);
        EXPECT_EQ(m.ChipMenuTexts[0], "DAL TQ310 ");
        EXPECT_EQ(m.ChipToBuffer, 0);
    }
}

}  // namespace
