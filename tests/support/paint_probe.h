#pragma once
// What a widget has painted: the count of its paint events, and what the window shows of it (from
// the window's backing store, so what was painted, not a fresh rendering of the widget).

#include <QEvent>
#include <QImage>
#include <QObject>
#include <QScreen>
#include <QWidget>

namespace tq::test {

class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
    int paints = 0;
};

inline QImage onScreen(QWidget& widget)
{
    const QPoint at = widget.mapTo(widget.window(), QPoint());
    return widget.screen()
        ->grabWindow(widget.window()->winId(), at.x(), at.y(), widget.width(), widget.height())
        .toImage();
}

}  // namespace tq::test
