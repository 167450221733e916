#pragma once
// What the controller keeps of its configuration, in its working memory and in its EEPROM alike:
// the 56-byte record (54 parameters, CRC high, CRC low) and the twelve 10-character menu texts.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "params/param_record.h"

namespace tq::sim {

constexpr int kTextBlockSize = kDeviceMenuTexts * kMenuTextLength;  // 120
constexpr int kImageSize = kDeviceRecordSize + kTextBlockSize;      // 176: what "L" carries

struct ParamImage {
    std::array<std::uint8_t, kDeviceRecordSize> record{};
    std::string texts = std::string(kTextBlockSize, ' ');

    // Record then texts, as "L" carries them and as the EEPROM file stores them.
    std::string bytes() const;
    // Exactly kImageSize bytes.
    static ParamImage fromBytes(std::string_view bytes);

    // Whether the two CRC bytes are the CRC-16 of the 54 parameters.
    bool crcMatches() const;
    // Recomputes the two CRC bytes from the parameters.
    void sealCrc();

    std::uint8_t boardsByte() const { return record[kBoardsIndex]; }
    int boards() const;
    bool outputProtection() const { return (boardsByte() & kOutputProtection) != 0; }

    bool operator==(const ParamImage&) const = default;
};

// The set-up a controller leaves the factory with: two output boards with output protection,
// the common machine commands assigned to outputs 1-16, and the Italian menu texts.
ParamImage factorySetup();

}  // namespace tq::sim
