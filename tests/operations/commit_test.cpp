// "Salva parametri  nella EEPROM": the two comparisons, their refusals and the commit frame,
// against the scripted port; and the whole cycle of write, read-back and commit through the
// receive engine.
#include <gtest/gtest.h>

#include <functional>

#include "link/receive_engine.h"
#include "operations/transfers.h"
#include "params/crc.h"
#include "support/scripted_port.h"
#include "transfers_host.h"

namespace {

using tq::test::ScriptedPort;
using tq::test::TransfersHost;

const std::string kParamsRefusal =
    " Operazione annullata :I parametri del buffer non sono uguali a quelli del TQ310 ";
const std::string kTextsRefusal = " Operazione annullata : i parametri della lingua sono diversi  dal TQ310 ";

const char* const kTexts[12] = {"SELEZIONA ", "CARTELLA  ", "PARTE     ", "NUOVA LETT", "DISCO     ", "TIPO      ",
                                "TAGLIA    ", "PARTE 2   ", "CARRO     ", "SCOLLO    ", "RANGHI    ", "LINGUA    "};

// A working copy and a device copy that agree: what a read-back of a write leaves behind.
void agree(tq::Module1& m)
{
    for (int i = 0; i < tq::kParamCount; ++i)
        m.FileParams[i] = static_cast<std::uint8_t>(i * 5 + 1);
    tq::Crcgen(m.FileParams);
    m.ChipParams = m.FileParams;
    for (int k = 0; k < 12; ++k) {
        m.FileMenuTexts[k] = kTexts[k];
        m.ChipMenuTexts[k] = kTexts[k];
    }
}

struct CommitFixture : ::testing::Test {
    tq::Module1 m;
    ScriptedPort port;
    TransfersHost host{m};

    tq::LinkContext ctx() { return {m, port, host}; }
};

TEST_F(CommitFixture, equalCopiesSendWThenThePasswordWithCr)
{
    agree(m);
    m.ReceiveMode = tq::MenuRead;
    host.interval = 300;
    port.feed("x");

    EXPECT_EQ(tq::commitToEeprom(ctx()), std::nullopt);
    EXPECT_EQ(port.writes, (std::vector<std::string>{"W", "Vorela\r"}));
    EXPECT_EQ(port.events.size(), 2u);  // nothing read or discarded
    EXPECT_EQ(host.text.text(), "Parametri salvati in EEPROM");
    EXPECT_EQ(m.ReceiveMode, tq::MenuRead);
    EXPECT_EQ(host.interval, 300);
}

struct Refusal {
    const char* what;
    std::function<void(tq::Module1&)> change;
    const std::string* message;
    // The terminal afterwards: untouched by a parameter refusal, the slot-20 pair otherwise.
    const char* terminal;
};

const Refusal kRefusals[] = {
    {"a parameter differs", [](tq::Module1& m) { m.ChipParams[17] ^= 1; }, &kParamsRefusal, "prima"},
    {"the last parameter differs", [](tq::Module1& m) { m.FileParams[53] = 0; }, &kParamsRefusal, "prima"},
    {"the CRC high byte differs", [](tq::Module1& m) { m.ChipParams[54] ^= 0x80; }, &kParamsRefusal, "prima"},
    {"the CRC low byte differs", [](tq::Module1& m) { m.ChipParams[55] ^= 0x01; }, &kParamsRefusal, "prima"},
    {"the spare byte differs", [](tq::Module1& m) { m.ChipParams[56] = 1; }, &kParamsRefusal, "prima"},
    {"parameters and texts differ: the parameters are reported",
     [](tq::Module1& m) {
         m.ChipParams[0] ^= 1;
         m.ChipMenuTexts[0] = "ALTRO     ";
     },
     &kParamsRefusal, "prima"},
    {"a text from a file is shorter than 10 and came back padded",
     [](tq::Module1& m) { m.FileMenuTexts[1] = "CARTELLA"; }, &kTextsRefusal, "\r\n"},
    {"a text differs in case only", [](tq::Module1& m) { m.ChipMenuTexts[0] = "Seleziona "; }, &kTextsRefusal,
     "\r\n"},
    {"slot 12 holds a text", [](tq::Module1& m) { m.FileMenuTexts[12] = "DODICI    "; }, &kTextsRefusal, "\r\n"},
    {"slot 16 holds a text", [](tq::Module1& m) { m.FileMenuTexts[16] = "x"; }, &kTextsRefusal, "\r\n"},
    {"slot 20 holds a text: its pair stays shown", [](tq::Module1& m) { m.FileMenuTexts[20] = "VENTI"; },
     &kTextsRefusal, "VENTI\r\n"},
    {"an early slot differs: the comparison still shows slot 20",
     [](tq::Module1& m) {
         m.ChipMenuTexts[2] = "PARTE";
         m.FileMenuTexts[20] = "f20";
         m.ChipMenuTexts[20] = "c20";
     },
     &kTextsRefusal, "f20c20\r\n"},
};

TEST_F(CommitFixture, refusesAndSendsNothingWhenTheCopiesDiffer)
{
    for (const Refusal& r : kRefusals) {
        SCOPED_TRACE(r.what);
        tq::Module1 fresh;
        m = fresh;
        agree(m);
        r.change(m);
        const tq::Module1 before = m;
        host.text.set("prima");
        port.clearSent();

        EXPECT_EQ(tq::commitToEeprom(ctx()), *r.message);
        EXPECT_TRUE(port.writes.empty());
        EXPECT_TRUE(port.events.empty());
        EXPECT_EQ(host.text.text(), r.terminal);
        EXPECT_EQ(m.FileParams, before.FileParams);
        EXPECT_EQ(m.ChipParams, before.ChipParams);
        EXPECT_EQ(m.FileMenuTexts, before.FileMenuTexts);
        EXPECT_EQ(m.ChipMenuTexts, before.ChipMenuTexts);
    }
}

TEST_F(CommitFixture, beforeAnyReadBackTheDeviceCopyIsZeroAndTheCommitRefuses)
{
    // At start-up the list refresh gives the all-zero working copy its CRC, 102-71.
    host.ListInit();
    ASSERT_EQ(m.FileParams[54], 102);
    EXPECT_EQ(tq::commitToEeprom(ctx()), kParamsRefusal);
    EXPECT_TRUE(port.events.empty());

    // Even with the CRC bytes cleared by hand the texts of the working copy count.
    m.FileParams[54] = 0;
    m.FileParams[55] = 0;
    m.FileMenuTexts[0] = "SELEZIONA ";
    EXPECT_EQ(tq::commitToEeprom(ctx()), kTextsRefusal);
    EXPECT_EQ(host.text.text(), "\r\n");
    EXPECT_TRUE(port.events.empty());
}

// Write, the controller keeps what it got, read-back, commit: the controller plays back the
// exact bytes of "L".
struct CycleFixture : CommitFixture {
    tq::ReceiveEngine engine{m, host};

    void SetUp() override
    {
        m.NoAnswerText = tq::BuildNoAnswerText();
        engine.setPort(&port);
    }

    // Returns what the controller stores from the write.
    std::string writeAndKeep()
    {
        port.clearSent();
        tq::writeWorkingCopy(ctx(), {});
        EXPECT_EQ(port.writes.size(), 3u);
        return port.writes.at(1) + port.writes.at(2);
    }

    void readBack(const std::string& stored, bool toBuffer)
    {
        port.clearSent();
        tq::sendReadBack(ctx(), toBuffer);
        ASSERT_EQ(port.sent(), "H");
        port.feed(stored.substr(0, 56));
        engine.tick();
        ASSERT_EQ(m.ReceiveMode, tq::MenuRead);
        ASSERT_EQ(port.sent(), "HJ");
        port.feed(stored.substr(56));
        engine.tick();
        ASSERT_EQ(m.ReceiveMode, tq::Terminal);
        port.clearSent();
    }
};

TEST_F(CycleFixture, aReadBackOfWhatWasWrittenLetsTheCommitThrough)
{
    for (int i = 0; i < tq::kParamCount; ++i)
        m.FileParams[i] = static_cast<std::uint8_t>(250 - i);
    for (int k = 0; k < 12; ++k)
        m.FileMenuTexts[k] = kTexts[k];
    readBack(writeAndKeep(), false);

    EXPECT_EQ(tq::commitToEeprom(ctx()), std::nullopt);
    EXPECT_EQ(port.sent(), "WVorela\r");
}

TEST_F(CycleFixture, aShortTextFromAFileComesBackPaddedAndTheCommitRefuses)
{
    for (int k = 0; k < 12; ++k)
        m.FileMenuTexts[k] = kTexts[k];
    m.FileMenuTexts[4] = "DISCO";
    readBack(writeAndKeep(), false);

    EXPECT_EQ(m.ChipMenuTexts[4], "DISCO     ");
    EXPECT_EQ(tq::commitToEeprom(ctx()), kTextsRefusal);
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(CycleFixture, aCopyIntoTheWorkingBufferCommitsAtOnceUnlessALaterSlotHoldsText)
{
    // What the controller holds: parameters with their own CRC, twelve texts.
    tq::ParamRecord device{};
    for (int i = 0; i < tq::kParamCount; ++i)
        device[i] = static_cast<std::uint8_t>(3 * i);
    const std::uint16_t crc = tq::crc16(device.data(), tq::kParamCount);
    std::string stored(device.begin(), device.begin() + tq::kParamCount);
    stored += static_cast<char>(crc >> 8);
    stored += static_cast<char>(crc & 0xFF);
    for (const char* t : kTexts)
        stored += t;

    for (const int slot : {12, 13, 20}) {
        SCOPED_TRACE(slot);
        m.FileParams.fill(9);
        m.FileParams[56] = 0;  // the spare byte is 0 in every state
        m.FileMenuTexts.fill("VECCHIO");
        m.CurrentFileName = "/tmp/vecchio.ini";
        // Slot 12 is overwritten by the copy; slots 13-20 keep what the working copy had.
        m.FileMenuTexts[13] = slot == 13 ? "TREDICI" : "";
        m.FileMenuTexts[20] = slot == 20 ? "VENTI" : "";
        for (int i = 14; i < 20; ++i)
            m.FileMenuTexts[i].clear();
        readBack(stored, true);

        EXPECT_EQ(m.ChipToBuffer, 0);
        EXPECT_TRUE(m.CurrentFileName.empty());
        EXPECT_EQ(m.FileMenuTexts[12], "");
        EXPECT_EQ(m.FileParams, m.ChipParams);
        const auto result = tq::commitToEeprom(ctx());
        if (slot == 12) {
            EXPECT_EQ(result, std::nullopt);
            EXPECT_EQ(port.sent(), "WVorela\r");
        } else {
            EXPECT_EQ(result, kTextsRefusal);
            EXPECT_TRUE(port.writes.empty());
        }
    }
}

}  // namespace
