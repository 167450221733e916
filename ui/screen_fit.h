#pragma once
// A window no larger than the screen it opens on. A laptop of 1366 × 768 leaves about 720 pixels
// of height below the desktop's panels, less than the main window's designed 820: at every
// showing the window is shrunk, never below its minimum size, to the screen's available area
// less its frame. Where the layout lets it, the parts that scroll (a list, a text) give up the
// height.

class QWidget;

namespace tq::ui {

void keepOnScreen(QWidget* window);

}  // namespace tq::ui
