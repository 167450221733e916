#pragma once
// A scroll bar that repaints only when it would look different. A text area that grows by a
// line at a time changes its scroll bar's range and value at every line, and a scroll bar
// repaints at every change; once the text is long, the handle has its least length and stays at
// the end, and those repaints draw the same pixels again (in the main window's terminal, with
// text arriving at 9600 baud, they were a sixth of the program's time).

#include <QScrollBar>

#include <tuple>

namespace tq::ui {

class QuietScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit QuietScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // What the style draws from: where the handle is, which ends are reached, the states.
    using Look = std::tuple<QRect, bool, bool, int, int, Qt::Orientation>;
    Look look() const;

    Look m_painted;
    bool m_comparing = false;
};

}  // namespace tq::ui
