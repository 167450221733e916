#pragma once
// The frames of a trace as the rows of a table: time, direction, size, the bytes in hexadecimal
// and as Latin-1, and the decoded line. It follows a live trace (refresh), drops the rows whose
// bytes the ring has let go, and shows only the frames of the chosen directions and command. A
// row costs nothing until a view asks for it, so that a full ring stays quick to show.

#include <QAbstractTableModel>

#include <cstdint>
#include <deque>

#include "trace/trace_frames.h"

namespace tq {

class TraceTable : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Time, Direction, Size, Hex, Latin1, Decoded, ColumnCount };
    // Bytes shown in the hexadecimal and Latin-1 columns; the decoded line sees them all.
    static constexpr std::size_t kShownBytes = 256;

    explicit TraceTable(const LineTrace& trace, QObject* parent = nullptr);

    // Takes in what the trace recorded since the last call; true when rows were added.
    bool refresh();

    // The rows: frames sent by the tool, by the controller, and of one command (0: all).
    void setFilter(bool sent, bool received, char command);

    const TraceFrames& frames() const { return m_frames; }
    // The frame a row shows (its index in frames()).
    std::size_t frameOf(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    bool filtering() const { return !(m_sent && m_received && m_command == 0); }
    bool passes(std::size_t frame) const;
    void rebuildRows();
    // Frames are counted from the start of the session here, so that a row keeps its frame until
    // the view has been told it goes, although the ring has already let the frame go.
    std::uint64_t frameNumber(int row) const;

    TraceFrames m_frames;
    std::uint64_t m_base = 0;  // the number of the first frame held
    bool m_sent = true;
    bool m_received = true;
    char m_command = 0;
    std::uint64_t m_firstRow = 0;      // without a filter: the frame of row 0; rows follow on
    std::deque<std::uint64_t> m_rows;  // with a filter: the frame of each row
    int m_rowCount = 0;
};

}  // namespace tq
