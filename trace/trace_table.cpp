#include "trace/trace_table.h"

#include <QString>

#include "trace/trace_decoder.h"

namespace tq {

namespace {

QString timeText(std::int64_t us)
{
    return QStringLiteral("%1.%2").arg(us / 1'000'000).arg(us % 1'000'000, 6, 10, QLatin1Char('0'));
}

QString hexText(const std::string& bytes, std::size_t total)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(3 * bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (!hex.empty())
            hex += ' ';
        hex += digits[b >> 4];
        hex += digits[b & 0xF];
    }
    QString text = QString::fromLatin1(hex);
    return bytes.size() < total ? text + QStringLiteral(" \u2026") : text;
}

}  // namespace

TraceTable::TraceTable(const LineTrace& trace, QObject* parent) : QAbstractTableModel(parent), m_frames(trace)
{
    refresh();
}

bool TraceTable::refresh()
{
    const TraceFrames::Change change = m_frames.update();
    if (change.reset) {
        beginResetModel();
        m_base = 0;
        rebuildRows();
        endResetModel();
        return m_rowCount > 0;
    }
    m_base += change.dropped;
    int gone = 0;
    while (gone < m_rowCount && frameNumber(gone) < m_base)
        ++gone;
    if (gone > 0) {
        beginRemoveRows({}, 0, gone - 1);
        if (filtering())
            m_rows.erase(m_rows.begin(), m_rows.begin() + gone);
        else
            m_firstRow += static_cast<std::uint64_t>(gone);
        m_rowCount -= gone;
        endRemoveRows();
    }
    const std::size_t held = m_frames.size() - change.added;
    if (change.lastGrew && held > 0 && m_rowCount > 0 && frameNumber(m_rowCount - 1) == m_base + held - 1)
        emit dataChanged(index(m_rowCount - 1, 0), index(m_rowCount - 1, ColumnCount - 1));
    std::vector<std::uint64_t> shown;
    for (std::size_t frame = held; frame < m_frames.size(); ++frame)
        if (passes(frame))
            shown.push_back(m_base + frame);
    if (shown.empty())
        return false;
    beginInsertRows({}, m_rowCount, m_rowCount + static_cast<int>(shown.size()) - 1);
    if (filtering())
        m_rows.insert(m_rows.end(), shown.begin(), shown.end());
    m_rowCount += static_cast<int>(shown.size());
    endInsertRows();
    return true;
}

void TraceTable::setFilter(bool sent, bool received, char command)
{
    if (sent == m_sent && received == m_received && command == m_command)
        return;
    beginResetModel();
    m_sent = sent;
    m_received = received;
    m_command = command;
    rebuildRows();
    endResetModel();
}

bool TraceTable::passes(std::size_t frame) const
{
    const bool sent = m_frames.direction(frame) == LineDirection::Sent;
    if (!(sent ? m_sent : m_received))
        return false;
    return m_command == 0 || m_frames.command(frame) == m_command;
}

void TraceTable::rebuildRows()
{
    m_rows.clear();
    m_firstRow = m_base;
    if (!filtering()) {
        m_rowCount = static_cast<int>(m_frames.size());
        return;
    }
    for (std::size_t frame = 0; frame < m_frames.size(); ++frame)
        if (passes(frame))
            m_rows.push_back(m_base + frame);
    m_rowCount = static_cast<int>(m_rows.size());
}

std::uint64_t TraceTable::frameNumber(int row) const
{
    return filtering() ? m_rows[static_cast<std::size_t>(row)] : m_firstRow + static_cast<std::uint64_t>(row);
}

std::size_t TraceTable::frameOf(int row) const
{
    return static_cast<std::size_t>(frameNumber(row) - m_base);
}

int TraceTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int TraceTable::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TraceTable::data(const QModelIndex& index, int role) const
{
    // A row whose frame the ring has let go, until the view hears that it goes.
    if (!index.isValid() || index.row() >= m_rowCount || frameNumber(index.row()) < m_base)
        return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() == Time || index.column() == Size ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                                : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    const std::size_t frame = frameOf(index.row());
    switch (index.column()) {
    case Time:
        return timeText(m_frames.timeUs(frame));
    case Direction:
        return m_frames.direction(frame) == LineDirection::Sent ? QStringLiteral("TX") : QStringLiteral("RX");
    case Size:
        return static_cast<qulonglong>(m_frames.byteCount(frame));
    case Hex:
        return hexText(m_frames.bytes(frame, kShownBytes), m_frames.byteCount(frame));
    case Latin1: {
        const QString text = QString::fromLatin1(printableLatin1(m_frames.bytes(frame, kShownBytes)));
        return m_frames.byteCount(frame) > kShownBytes ? text + QStringLiteral("\u2026") : text;
    }
    case Decoded:
        return QString::fromLatin1(m_frames.describe(frame));
    }
    return {};
}

QVariant TraceTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Time: return QStringLiteral("Tempo (s)");
    case Direction: return QStringLiteral("Dir.");
    case Size: return QStringLiteral("Byte");
    case Hex: return QStringLiteral("Esadecimale");
    case Latin1: return QStringLiteral("Latin-1");
    case Decoded: return QStringLiteral("Decodifica");
    }
    return {};
}

}  // namespace tq
