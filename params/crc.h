#pragma once
// The parameter CRC: CRC-16 with G(x) = x16 + x12 + x5 + 1 (0x1021), register preset to 0xFFFF,
// most significant bit first, no reflection, no final exclusive-or.

#include <cstddef>
#include <cstdint>
#include <string>

#include "params/param_record.h"

namespace tq {

std::uint16_t crc16(const std::uint8_t* data, std::size_t length);

// "hi-lo" followed by the suffix: " File" for the working copy, " Chip " for the device's.
std::string crcCaption(std::uint8_t high, std::uint8_t low, const char* suffix);

// Computes the CRC of parameters 0..53 into indexes 54 (high) and 55 (low) and returns the
// caption of the working copy's CRC label.
std::string Crcgen(ParamRecord& record);

// The caption of the device CRC label, from the two CRC bytes the controller sent.
std::string chipCrcCaption(const ParamRecord& chip);

}  // namespace tq
