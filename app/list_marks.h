#pragma once
// How List1 shows where the working copy differs from the controller's: a differing line in dark
// red and bold on a light ground, its tooltip saying both values; while the controller's record
// is unknown, the device values of the parameter lines greyed. The text of a line never changes,
// and an unmarked line has no tooltip of its own, so the list's tooltip shows over it.

#include "params/differences.h"

class QListWidget;

namespace tq {

// Once, for the list's lifetime: the device column is greyed by the list's item delegate.
void installDifferenceMarks(QListWidget* list);

// Marks the lines of `d` and clears every other line's mark, on the lines the list holds now.
void markDifferences(QListWidget* list, const Module1& m, const Differences& d);

}  // namespace tq
