#include "ui/screen_fit.h"

#include <QEvent>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>

namespace tq::ui {

namespace {

class ScreenFit : public QObject {
public:
    explicit ScreenFit(QWidget* window) : QObject(window) { window->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && !event->spontaneous() && watched == parent())
            fit(static_cast<QWidget*>(watched));
        return false;
    }

private:
    static void fit(QWidget* window)
    {
        const QScreen* screen = window->screen();
        if (!screen)
            return;
        // The frame is known once the window system has framed the window; before, a title bar
        // and borders as the style draws them.
        QMargins frame = window->windowHandle() ? window->windowHandle()->frameMargins() : QMargins();
        if (frame.isNull()) {
            const int border = window->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
            frame = QMargins(border, window->style()->pixelMetric(QStyle::PM_TitleBarHeight) + border, border, border);
        }
        const QSize room = screen->availableGeometry().size().shrunkBy(frame);
        if (window->width() > room.width() || window->height() > room.height())
            window->resize(window->size().boundedTo(room));
    }
};

}  // namespace

void keepOnScreen(QWidget* window)
{
    new ScreenFit(window);
}

}  // namespace tq::ui
