#include "ui/secondary_window.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

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
        // Escape closes the window as its close box does, for a user without a mouse.
        if (event->type() == QEvent::KeyPress && watched == parent()
            && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            static_cast<QWidget*>(watched)->close();
            return true;
        }
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

// Hides its window when the main window, its parent, is hidden.
class HideWithMainWindow : public QObject {
public:
    HideWithMainWindow(QWidget* window, QWidget* mainWindow) : QObject(mainWindow), m_window(window)
    {
        mainWindow->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == parent() && event->type() == QEvent::Hide && m_window)
            m_window->hide();
        return false;
    }

private:
    QPointer<QWidget> m_window;
};

}  // namespace

void hideWith(QWidget* window, QWidget* mainWindow)
{
    new HideWithMainWindow(window, mainWindow);
}

void ownBy(QWidget* window, QWidget* owner)
{
    // A window of the ordinary kind gets no owner from some window systems (X11 among them).
    if (window->windowType() != Qt::Dialog && !window->isVisible())
        window->setWindowFlags((window->windowFlags() & ~Qt::WindowType_Mask) | Qt::Dialog);
    QWidget* ownerWindow = owner->window();
    window->winId();
    ownerWindow->winId();
    window->windowHandle()->setTransientParent(ownerWindow->windowHandle());
}

void activate(QWidget* window)
{
    window->raise();
    if (QWindow* handle = window->windowHandle())
        handle->requestActivate();
    else
        window->activateWindow();
}

void openSecondary(QWidget* window, QWidget* mainWindow)
{
    ownBy(window, mainWindow);
    auto* watch = window->findChild<SecondaryWatch*>(QStringLiteral("tq_secondary_watch"),
                                                     Qt::FindDirectChildrenOnly);
    if (watch)
        watch->setMain(mainWindow);
    else
        new SecondaryWatch(window, mainWindow);
    window->show();
    mainWindow->setEnabled(false);
    activate(window);
    window->setFocus(Qt::OtherFocusReason);
}

}  // namespace tq::ui
