#pragma once
// Where the working copy and the device copy differ, line by line of the main list, so that what
// the EEPROM commit would refuse is in sight. A kind of line is compared only once the controller
// has sent that half of its copy (ChipParamsRead, ChipMenuTextsRead).

#include <cstddef>
#include <string>
#include <vector>

#include "params/module1.h"

namespace tq {

struct LineDifference {
    int line;             // row of List1
    std::string toolTip;  // both values: "buffer [5]  TQ310 [12]"
};

struct Differences {
    std::vector<LineDifference> lines;  // parameter lines, then menu-text lines, in list order
    int unlistedTexts = 0;              // menu-text slots 11..20, which the list does not show
    bool crc = false;                   // only the CRC (or the spare byte) of the records differs
};

Differences compareCopies(const Module1& m);

// The status line below the list: "3 righe diverse dal TQ310", followed by what the commit
// compares beyond the lines (" + 1 testo non in lista", " + CRC diverso"); "nessuna lettura dal
// TQ310" while the controller has sent nothing.
std::string differencesCaption(const Module1& m, const Differences& d);

}  // namespace tq
