#pragma once
// What the edit dialog's OK stores: its controls encoded back into a parameter byte or a
// 10-character menu text of the working copy.

#include <cstdint>
#include <string>

#include "params/module1.h"

namespace tq {

// The dialog's controls as OK finds them.
struct DialogValues {
    int choice = -1;               // selected item of Combo1; none counts as 0
    bool protectionShown = false;  // Check2 visible: the Boards layout
    bool protection = false;       // Check2 ticked
    bool phaseZero = false;        // Option2 "In fase 0"
    bool pulse = false;            // Option3 "Impulso"
    std::string text;              // Text1, as bytes
};

// Boards: the count plus 16 for output protection. Every other layout: the number plus 64 for
// "In fase 0" or 128 for "Impulso". The timing bits are OR-ed in: for the numbers up to 63
// that is the sum, and an output number above 63 (only with more boards than the dialog offers)
// cannot carry into a ninth bit.
std::uint8_t encodeParameter(const DialogValues& values);

// Stores the edit of list line `index` into the working copy. Returns false, changing nothing,
// when the line holds no value (no line, the header, beyond the last menu text).
bool storeEdit(Module1& m, int index, const DialogValues& values);

}  // namespace tq
