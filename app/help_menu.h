#pragma once
// The menu "?", after the last menu of the main window: "Manuale d'uso" (F1) opens the manual in
// the help window, "Informazioni su Test per TQ310" shows the version, the build and the licence
// notices. F1 in another window of the tool opens the manual's section about that window.

#include <QObject>

#include <memory>

class QAction;
class QMainWindow;
class QMenu;

namespace tq {

namespace ui {
class HelpWindow;
}
class AboutBox;

class HelpMenu : public QObject {
    Q_OBJECT
public:
    // Adds the menu to the end of the window's menu bar; the window owns this object.
    explicit HelpMenu(QMainWindow* window);
    ~HelpMenu() override;

    // Shows a page of the manual ("connessione.md#il-programmatore"); the help window is made
    // at the first use and kept.
    void showManual(const QString& page);
    ui::HelpWindow* helpWindow() const { return m_help.get(); }  // null until first shown

protected:
    // F1 in a window of the tool other than the main one.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMainWindow* m_window;
    QMenu* m_menu = nullptr;
    QAction* m_manual = nullptr;
    QAction* m_about = nullptr;
    // No Qt parent: the manual stays usable while a secondary window has disabled the main one.
    std::unique_ptr<ui::HelpWindow> m_help;
    AboutBox* m_aboutBox = nullptr;
};

// The page and heading of the manual about a window of the tool, by the window's object name;
// empty for a window the manual has no section for.
QString manualSection(const QString& windowName);

}  // namespace tq
