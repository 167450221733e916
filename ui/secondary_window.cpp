#include "ui/secondary_window.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace tq::ui {

namespace {

// Watches one secondary window and gives the main window back when it is hidden by the program
// or closed by the user (the window system's own hide, on minimising, does not count).
class SecondaryWatch : public QObject {
public:
    SecondaryWatch(QWidget* window, QWidget* mainWindow) : QObject(window), m_main(mainWindow)
    {
        setObjectName(QStringLiteral("tq_secondary_watch"));
        window->installEventFilter(this);
    }
    void setMain(QWidget* mainWindow) { m_main = mainWindow; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide && !event->spontaneous() && m_main && watched == parent()) {
            m_main->setEnabled(true);
            m_main->activateWindow();
            m_main->setFocus(Qt::OtherFocusReason);
        }
        return false;
    }

private:
    QPointer<QWidget> m_main;
};

}  // namespace

void openSecondary(QWidget* window, QWidget* mainWindow)
{
    auto* watch = window->findChild<SecondaryWatch*>(QStringLiteral("tq_secondary_watch"),
                                                     Qt::FindDirectChildrenOnly);
    if (watch)
        watch->setMain(mainWindow);
    else
        new SecondaryWatch(window, mainWindow);
    window->show();
    mainWindow->setEnabled(false);
    window->raise();
    window->activateWindow();
    window->setFocus(Qt::OtherFocusReason);
}

}  // namespace tq::ui
