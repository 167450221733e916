#include "params/crc.h"

namespace tq {

std::uint16_t crc16(const std::uint8_t* data, std::size_t length)
{
    std::uint16_t reg = 0xFFFF;
    for (std::size_t i = 0; i < length; ++i) {
        reg ^= static_cast<std::uint16_t>(data[i] << 8);
        for (int bit = 0; bit < 8; ++bit)
            reg = (reg & 0x8000) ? static_cast<std::uint16_t>((reg << 1) ^ 0x1021)
                                 : static_cast<std::uint16_t>(reg << 1);
    }
    return reg;
}

std::string crcCaption(std::uint8_t high, std::uint8_t low, const char* suffix)
{
    return std::to_string(high) + "-" + std::to_string(low) + suffix;
}

std::string Crcgen(ParamRecord& record)
{
    const std::uint16_t crc = crc16(record.data(), kParamCount);
    record[kCrcHigh] = static_cast<std::uint8_t>(crc >> 8);
    record[kCrcLow] = static_cast<std::uint8_t>(crc & 0xFF);
    return crcCaption(record[kCrcHigh], record[kCrcLow], " File");
}

std::string chipCrcCaption(const ParamRecord& chip)
{
    return crcCaption(chip[kCrcHigh], chip[kCrcLow], " Chip ");
}

}  // namespace tq
