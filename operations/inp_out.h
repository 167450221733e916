#pragma once
// InpOut "Test per Input e Output": the production simulation's window. Ten rows of 32 marks, the
// newest course at the bottom, four lines between the groups of eight positions, "CONTEGGIO"
// (one more course) and "RESET" (start again from the first course). A secondary window: it has
// no Qt parent, its opener disables the main window (ui::openSecondary). Its buttons ask the
// main window, which asks the link; the engine calls conta for every course that comes.

#include <QWidget>

#include <array>
#include <functional>

#include "operations/simulation_rows.h"
#include "params/module1.h"

class QFrame;
class QLabel;
class QPushButton;

namespace tq {

class InpOut : public QWidget {
    Q_OBJECT
public:
    // nextCourse runs on "CONTEGGIO", restart on "RESET" (MascPro 0 and 1 of the main window).
    InpOut(Module1& m, std::function<void()> nextCourse, std::function<void()> restart);

    // Label1(0) to Label1(9) := the empty text.
    void clearRows();
    // Draws RowBuffer as the next course and scrolls it in at the bottom.
    void conta();
    const SimulationRows& rows() const { return m_rows; }

    QLabel* Label2 = nullptr;                         // the heading of positions and "corse"
    std::array<QLabel*, kSimulationRows> Label1{};    // object names Label1_0 ... Label1_9
    std::array<QFrame*, 4> Line{};                    // Line1 ... Line4
    QPushButton* Command1 = nullptr;                  // CONTEGGIO
    QPushButton* Command2 = nullptr;                  // RESET

private:
    void fitHeading(qreal firstMarkCentre, qreal lastMarkCentre);
    void showRows();

    Module1& m_m;
    std::function<void()> m_nextCourse;
    std::function<void()> m_restart;
    SimulationRows m_rows;
};

}  // namespace tq
