#pragma once
// The fixed-pitch font of the parameter list, the terminal and the simulation rows.

#include <QFont>

namespace tq::ui {

// "Courier New" where the system has it, otherwise another fixed-pitch font of the same size, so
// that the columns of the list and the terminal stay aligned.
QFont fixedFont(int pointSize = 10);
bool isFixedPitch(const QFont& font);

}  // namespace tq::ui
