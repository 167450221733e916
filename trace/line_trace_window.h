#pragma once
// The window of the line trace: the frames of the connection in a table (time, direction, size,
// hexadecimal, Latin-1, meaning), filtered by direction and by command, following the end while
// it is open; "Salva registro" writes the trace to a file, "Apri registro" shows a saved one and
// "Registro in corso" goes back to the connection's. It does not disable the main window: the
// engineer works the tool while watching the line.

#include <QWidget>

#include <functional>
#include <memory>

#include "trace/line_trace.h"
#include "trace/trace_table.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
class QTimer;

namespace tq {

class LineTraceWindow : public QWidget {
    Q_OBJECT
public:
    // The connection's trace, which outlives the window.
    explicit LineTraceWindow(const LineTrace& live, QWidget* parent = nullptr);
    ~LineTraceWindow() override;

    // Asks for the path to save to (save true) or to open; empty when cancelled. A file dialog by
    // default; tests put in their own.
    std::function<QString(bool save)> askPath;

    // One refresh: the new frames, the status line, the end in sight when following it.
    void refresh();
    void save();
    void open();
    void showLive();
    bool showingFile() const { return m_file != nullptr; }
    TraceTable& table() { return *m_table; }

    QCheckBox* SentBox = nullptr;       // "TX dal PC"
    QCheckBox* ReceivedBox = nullptr;   // "RX dal TQ310"
    QComboBox* CommandBox = nullptr;    // "tutti" and each command
    QCheckBox* FollowBox = nullptr;     // "Segui la fine"
    QPushButton* SaveButton = nullptr;  // "Salva registro"
    QPushButton* OpenButton = nullptr;  // "Apri registro"
    QPushButton* LiveButton = nullptr;  // "Registro in corso"
    QLabel* StatusLabel = nullptr;
    QTableView* Table = nullptr;
    QTimer* RefreshTimer = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Escape closes the window, as its close box does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showTrace(const LineTrace& trace);
    void applyFilter();

    const LineTrace& m_live;
    const LineTrace* m_shown = nullptr;
    std::unique_ptr<LineTrace> m_file;  // a saved trace being shown
    QString m_fileName;
    std::size_t m_leftOut = 0;  // the file's older frames that the ring did not keep
    std::unique_ptr<TraceTable> m_table;
};

}  // namespace tq
