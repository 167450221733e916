// The CRC of the parameter record (CCITT, x16 + x12 + x5 + 1): its check value, where Crcgen
// stores it, and the captions of both copies.
#include <gtest/gtest.h>

#include <cstring>

#include "params/crc.h"

namespace tq {
namespace {

TEST(Crc, CheckValueOverTheNineDigits)
{
    const char* digits = "123456789";
    EXPECT_EQ(crc16(reinterpret_cast<const std::uint8_t*>(digits), std::strlen(digits)), 0x29B1);
}

struct CrcCase {
    const char* name;
    int index;            // parameter index to set, -1 for none
    std::uint8_t value;
    std::uint8_t high, low;
    const char* caption;
};

class CrcgenTest : public ::testing::TestWithParam<CrcCase> {};

TEST_P(CrcgenTest, StoresBothBytesAndCaptionsThem)
{
    const CrcCase& c = GetParam();
    ParamRecord r{};
    if (c.index >= 0)
        r[c.index] = c.value;
    // Whatever the CRC and spare bytes held before must not count.
    r[kCrcHigh] = 0xAA;
    r[kCrcLow] = 0x55;
    r[56] = 0x77;
    EXPECT_EQ(Crcgen(r), c.caption);
    EXPECT_EQ(r[kCrcHigh], c.high);
    EXPECT_EQ(r[kCrcLow], c.low);
}

INSTANTIATE_TEST_SUITE_P(Records, CrcgenTest, ::testing::Values(
    CrcCase{"AllZero", -1, 0, 102, 71, "102-71 File"},
    CrcCase{"FirstIsOne", 0, 1, 250, 32, "250-32 File"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Crc, ChipCaptionEndsWithChipAndABlank)
{
    ParamRecord chip{};
    chip[kCrcHigh] = 102;
    chip[kCrcLow] = 71;
    EXPECT_EQ(chipCrcCaption(chip), "102-71 Chip ");
}

}  // namespace
}  // namespace tq
