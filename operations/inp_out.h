#pragma once
// InpOut "Test per Input e Output": the production simulation's window. Ten rows of 32 marks, the
// newest course at the bottom, four lines between the groups of eight positions, "CONTEGGIO"
// (one more course) and "RESET" (start again from the first course). A secondary window: it has
// no Qt parent, its opener disables the main window (ui::openSecondary).

#include <QWidget>

#include <array>

#include "link/engine_host.h"
#include "operations/simulation_rows.h"
#include "params/module1.h"

class QFrame;
class QLabel;
class QPushButton;

namespace tq {

class InpOut : public QWidget {
    Q_OBJECT
public:
    InpOut(Module1& m, EngineHost& host);

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
    EngineHost& m_host;
    SimulationRows m_rows;
};

}  // namespace tq
