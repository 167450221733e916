#pragma once
// How the bytes the tool sends divide into commands: one command byte, and for three commands
// the data that follows it: "L" the 56-byte record and the 120 bytes of menu texts, "W" the
// password up to CR, "!" the five output bytes.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "params/param_record.h"

namespace tq {

inline constexpr std::size_t kWriteCommandBytes = 1 + kDeviceRecordSize + kDeviceMenuTexts * kMenuTextLength;
inline constexpr std::size_t kOutputCommandBytes = 1 + 5;
// A password that runs this long without CR is wrong whatever follows: the controller stops
// reading it and takes the next byte as a command.
inline constexpr std::size_t kPasswordMaxBytes = 16;

class CommandSplitter {
public:
    // One more byte; the whole command, its command byte first, when this byte completes one.
    std::optional<std::string> push(char byte);
    // A command still waiting for its data.
    const std::string& pending() const { return m_pending; }
    void reset() { m_pending.clear(); }

private:
    bool complete() const;

    std::string m_pending;
};

// The commands of one stretch of sent bytes, in order; a command whose data stops short comes
// last, as far as it went.
std::vector<std::string> splitCommands(std::string_view sent);

}  // namespace tq
