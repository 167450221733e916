#pragma once
// Form2 "Test uscite": the output test. One box per output of up to three boards; every change
// hands the pattern of the ticked boxes to the link, which has the receive engine send "!" and
// the pattern every second tick. Closing it ("Uscita" or the close box) tells the link to stop;
// the boxes start cleared at the next opening. A secondary window: it has no Qt parent, its
// opener disables the main window.

#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>

#include "operations/output_pattern.h"
#include "params/module1.h"

class QCheckBox;
class QPushButton;

namespace tq {

class Form2 : public QWidget {
    Q_OBJECT
public:
    // The ticked outputs (OutputBytes[0..2]) for the engine to send from now on.
    using OutputsChanged = std::function<void(const std::array<std::uint8_t, 3>& outputs)>;

    // outputsChanged runs on every change of the boxes, closed when the window closes; the main
    // window passes the senders startOutputTest and stopOutputTest.
    Form2(Module1& m, OutputsChanged outputsChanged, std::function<void()> closed);

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
    OutputsChanged m_outputsChanged;
    std::function<void()> m_closed;
    int m_usable = 0;  // boxes 0 .. m_usable - 1 are enabled
    bool m_settingAll = false;  // the boxes' own changes wait for the one update after them
};

}  // namespace tq
