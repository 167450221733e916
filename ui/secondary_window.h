#pragma once
// Secondary windows (programmer information, USB compiler, simulation window, output test):
// opening one shows it, disables the main window and gives the new window the focus; closing it
// (close box, close() or hide()) enables the main window and gives it the focus again.
//
// A secondary window must be a top-level widget without the main window as its Qt parent:
// disabling a widget disables its child windows too, so a child would be disabled with the main
// window. Own it with a std::unique_ptr (or delete it yourself) instead.

class QWidget;

namespace tq::ui {

void openSecondary(QWidget* window, QWidget* mainWindow);

}  // namespace tq::ui
