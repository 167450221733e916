#include "ui/quiet_scroll_bar.h"

#include <QStyle>
#include <QStyleOptionSlider>

namespace tq::ui {

QuietScrollBar::QuietScrollBar(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent)
{
}

QuietScrollBar::Look QuietScrollBar::look() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect handle = style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
    return {handle, value() == minimum(), value() == maximum(), static_cast<int>(option.state),
            static_cast<int>(option.activeSubControls), orientation()};
}

void QuietScrollBar::sliderChange(SliderChange change)
{
    if (change == SliderOrientationChange)
        return QScrollBar::sliderChange(change);
    // Range and value often change one after the other (the text grew, then its view followed
    // it), through looks never shown: the look is compared once they are done, still before the
    // window's repaint, which is posted at a lower priority.
    if (m_comparing)
        return;
    m_comparing = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_comparing = false;
            // The last paint drew this look already; a repaint already asked for draws the new one.
            if (look() != m_painted)
                update();
        },
        Qt::QueuedConnection);
}

void QuietScrollBar::paintEvent(QPaintEvent* event)
{
    m_painted = look();
    QScrollBar::paintEvent(event);
}

}  // namespace tq::ui
