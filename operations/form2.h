#pragma once
// Form2 "Test uscite": the output test. One box per output of up to three boards; every change
// sets the receive engine to the output test (it then sends "!" and the pattern every second
// tick) and rebuilds OutputBytes from the boxes. Closing it ("Uscita" or the close box) returns
// the engine to the terminal; OutputBytes keeps the last pattern, the boxes start cleared at the
// next opening. A secondary window: it has no Qt parent, its opener disables the main window.

#include <QWidget>

#include <array>

#include "operations/output_pattern.h"
#include "params/module1.h"

class QCheckBox;
class QPushButton;

namespace tq {

class Form2 : public QWidget {
    Q_OBJECT
public:
    explicit Form2(Module1& m);

    // What opening the window does: every box cleared, in its place with its caption, usable as
    // far as ChannelCount offers outputs; "Tutti ON" and "Tutti OFF" usable when a box is.
    void layOut();

    std::array<QCheckBox*, kOutputBoxes> Check1{};  // object names Check1_0 ... Check1_23
    QPushButton* Command1 = nullptr;                // Tutti ON
    QPushButton* Command2 = nullptr;                // Tutti OFF
    QPushButton* Command3 = nullptr;                // Uscita

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setAll(bool ticked);
    void updatePattern();

    Module1& m_m;
    int m_usable = 0;  // boxes 0 .. m_usable - 1 are enabled
};

}  // namespace tq
