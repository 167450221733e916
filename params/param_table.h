#pragma once
// The fixed table of the 54 parameters and the captions of the menu-text lines.

#include <array>
#include <string>
#include <string_view>

#include "params/param_record.h"

namespace tq {

// Names of parameters 1..54 (index n-1), as the list labels them.
extern const std::array<std::string_view, kParamCount> ParamNames;

// Label n (1..54): name padded to 25, n right-aligned in 2, then "[" - 28 characters.
extern const std::array<std::string, kParamCount> ParamLabels;

// Captions of menu-text lines 0..10: item name padded to 15, then "| " - 17 characters.
constexpr int kListedMenuTexts = 11;
extern const std::array<std::string_view, kListedMenuTexts> MenuItemCaptions;

}  // namespace tq
