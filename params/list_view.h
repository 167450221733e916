#pragma once
// The side-by-side list of the main window: 54 parameter lines (working value left, device value
// right), the menu header and the 11 listed menu texts.

#include <string>
#include <vector>

#include "params/module1.h"

namespace tq {

constexpr int kListLines = 66;
constexpr int kHeaderLine = 54;
constexpr int kFirstMenuTextLine = 55;
inline constexpr const char* kMenuHeader = "======== VOCI MENU ===========";
inline constexpr const char* kFileCaptionPrefix = " File = ";
// Where a parameter line holds its device value, and the width of a value field.
constexpr int kChipValueColumn = 34;
constexpr int kValueFieldWidth = 3;

struct ListContent {
    std::string label1;              // " File = " and the file name
    std::vector<std::string> lines;  // the 66 lines of List1
    std::string label5;              // the working copy's CRC caption
};

// 38 characters: label, working value in 3, "] [", device value in 3, "]".
std::string parameterLine(int index, std::uint8_t fileValue, std::uint8_t chipValue);

// The one refresh of the list: recomputes ChannelCount, builds the lines and runs Crcgen last.
ListContent ListInit(Module1& m);

}  // namespace tq
