#pragma once
// F10 opens the first menu of a main window's menu bar, as on Windows and GNOME. Qt on Linux
// gives the menu bar no key but Alt, which some desktops keep for themselves, so that a user
// without a mouse could not reach the menus there.

class QMainWindow;

namespace tq::ui {

void openFirstMenuOnF10(QMainWindow* window);

}  // namespace tq::ui
