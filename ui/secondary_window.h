#pragma once
// Secondary windows (programmer information, USB compiler, simulation window, output test):
// opening one shows it, disables the main window and gives the new window the focus; closing it
// (close box, Escape, close() or hide()) enables the main window and gives it the focus again.
//
// A secondary window must be a top-level widget without the main window as its Qt parent:
// disabling a widget disables its child windows too, so a child would be disabled with the main
// window. Own it with a std::unique_ptr (or delete it yourself) instead. The window system sees
// it as owned by the main window all the same (ownBy), so that it never ends up behind it.

class QWidget;

namespace tq::ui {

void openSecondary(QWidget* window, QWidget* mainWindow);

// Makes `window` a dialog window owned by (transient for) the window of `owner`: every window
// manager keeps it above its owner, and it takes no place of its own in the task bar. Not a Qt
// parent: a disabled owner leaves it usable. Call it before `window` is shown for the first time,
// as its kind of window is fixed then.
void ownBy(QWidget* window, QWidget* owner);

// Hides `window` whenever `mainWindow` is hidden: a window of its own that is no secondary window
// (the edit dialog, the line trace) goes out of sight with the main window.
void hideWith(QWidget* window, QWidget* mainWindow);

// Shows `window` above the others and asks the window system for the keyboard for it. Unlike
// QWidget::activateWindow, also for an owned window while its owner is the active one (Qt counts
// an owned window as active then, and would ask for nothing).
void activate(QWidget* window);

}  // namespace tq::ui
