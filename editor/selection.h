#pragma once
// What a selected line of the main list puts into the edit dialog: which controls it shows and
// the current value, decoded from the working copy. Nothing here writes.

#include <cstdint>
#include <optional>
#include <string>

#include "params/module1.h"

namespace tq {

// The argument of finestra: the set of controls a value is edited with.
enum class EditLayout : std::uint8_t { Output = 0, TwoWay = 1, MenuText = 2, Boards = 3, ThreeWay = 4 };

// An output byte holds its number in one byte, so however many boards parameter 4 claims, no
// output above 255 can be stored.
constexpr int kHighestOutput = 255;

// Items of Combo1 for a layout; item k shows k in decimal. MenuText has none.
int choiceCount(EditLayout layout, std::uint16_t channelCount);

enum class SelectionAction {
    None,  // no line, or an index beyond the list: it addresses no value
    Hide,  // the menu header line
    Edit,
};

struct LineSelection {
    SelectionAction action = SelectionAction::None;
    EditLayout layout = EditLayout::Output;
    std::string legend;            // Label1, for TwoWay and ThreeWay
    int choice = -1;               // item of Combo1 to select; -1 leaves the list without selection
    bool protection = false;       // Check2, for Boards
    bool showOptions = false;      // output lines show all three timing options
    // The option turned on: Option1 Count, Option2 PhaseZero, Option3 Pulse. None for
    // parameters 1..4, whose OK would otherwise pick up the timing of an earlier output line.
    std::optional<OutputTiming> timing;
    std::string text;              // Text1, for MenuText: the stored bytes
};

// Decodes line `index` of the list (-1: no line) from the working copy and ChannelCount as the
// last list refresh left it.
LineSelection selectLine(const Module1& m, int index);

}  // namespace tq
