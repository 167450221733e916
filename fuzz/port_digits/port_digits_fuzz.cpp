// The port chooser's digit rule on arbitrary entry texts. The number is read from every decimal
// digit of the entry, left to right; no digit gives 0 (no connection). Where those digits make
// a number above 255, the number written right after the first "COM" is taken, when it is one
// of 1..255; otherwise the entry is refused. Digits are the ten ASCII ones only: a Latin-1
// superscript or any other byte never counts.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/port_discovery.h"
#include "target.h"

namespace {

// A decimal number of any length, as long as it is at most 255; nothing above.
std::optional<unsigned> smallNumber(std::string digits)
{
    digits.erase(0, digits.find_first_not_of('0'));
    if (digits.size() > 3)
        return std::nullopt;
    const unsigned n = digits.empty() ? 0 : static_cast<unsigned>(std::stoul(digits));
    return n <= 255 ? std::optional<unsigned>(n) : std::nullopt;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The number an entry stands for; nothing for a refused entry.
std::optional<unsigned> portOf(std::string_view entry)
{
    std::string digits;
    for (char c : entry)
        if (isDigit(c))
            digits += c;
    if (const auto all = smallNumber(digits))
        return all;
    const std::size_t com = entry.find("COM");
    std::string afterCom;
    for (std::size_t i = com == std::string_view::npos ? entry.size() : com + 3; i < entry.size() && isDigit(entry[i]); ++i)
        afterCom += entry[i];
    const auto port = afterCom.empty() ? std::nullopt : smallNumber(afterCom);
    return port && *port >= 1 ? port : std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view entry(reinterpret_cast<const char*>(data), size);
    const std::optional<std::uint8_t> got = tq::portNumberFromEntry(entry);
    const std::optional<unsigned> want = portOf(entry);
    FUZZ_CHECK(got.has_value() == want.has_value());
    FUZZ_CHECK(!got || *got == *want);

    // Text without digits or "COM" added at the end changes nothing.
    const std::string longer = std::string(entry) + " (porta)";
    FUZZ_CHECK(tq::portNumberFromEntry(longer) == got);
    return 0;
}
