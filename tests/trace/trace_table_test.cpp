// The trace as table rows, under Qt's own model checker: a row announced that is not there, or
// a row removed without notice, crashes or garbles the view while the ring drops and the filter
// changes under a live session.
#include <QAbstractItemModelTester>
#include <QTest>

#include <random>

#include "trace/trace_table.h"

using tq::LineDirection;
using tq::LineTrace;
using tq::TraceTable;

namespace {

QString cell(const TraceTable& table, int row, int column)
{
    return table.data(table.index(row, column)).toString();
}

// Every row, as "dir|decoded".
QStringList rows(const TraceTable& table)
{
    QStringList all;
    for (int row = 0; row < table.rowCount(); ++row)
        all << cell(table, row, TraceTable::Direction) + QLatin1Char('|') + cell(table, row, TraceTable::Decoded);
    return all;
}

}  // namespace

class TraceTableTest : public QObject {
    Q_OBJECT

private slots:
    void aRowShowsTimeDirectionSizeHexLatin1AndMeaning()
    {
        LineTrace trace;
        trace.recordAt(LineDirection::Sent, 1'500'000, "K");
        trace.recordAt(LineDirection::Received, 1'502'001, "\x1C\xE8z");
        TraceTable table(trace);
        QCOMPARE(table.rowCount(), 2);
        const struct { int row; int column; QString text; } cells[] = {
            {0, TraceTable::Time, QStringLiteral("1.500000")},
            {1, TraceTable::Time, QStringLiteral("1.502001")},
            {0, TraceTable::Direction, QStringLiteral("TX")},
            {1, TraceTable::Direction, QStringLiteral("RX")},
            {1, TraceTable::Size, QStringLiteral("3")},
            {1, TraceTable::Hex, QStringLiteral("1C E8 7A")},
            {1, TraceTable::Latin1, QStringLiteral("\u00B7\u00E8z")},
            {0, TraceTable::Decoded, QStringLiteral("K lettura ingressi")},
            {1, TraceTable::Decoded, QStringLiteral("stato ingressi 1C: Mor.14(reset macchina), scheda(selettore lavoro), "
                                                    "Mor.11(segnale power +24) ON, e 2 byte in pi\u00F9")},
        };
        for (const auto& c : cells)
            QCOMPARE(cell(table, c.row, c.column), c.text);
        QCOMPARE(table.headerData(TraceTable::Decoded, Qt::Horizontal).toString(), QStringLiteral("Decodifica"));
    }

    void aLongFrameShowsItsFirstBytesAndSaysThereIsMore()
    {
        LineTrace trace;
        trace.recordAt(LineDirection::Received, 0, std::string(TraceTable::kShownBytes + 1, 'A'));
        TraceTable table(trace);
        const QString hex = cell(table, 0, TraceTable::Hex);
        QVERIFY(hex.startsWith(QStringLiteral("41 41 ")));
        QVERIFY(hex.endsWith(QStringLiteral("41 \u2026")));
        QCOMPARE(hex.count(QStringLiteral("41")), int(TraceTable::kShownBytes));
        QCOMPARE(cell(table, 0, TraceTable::Latin1), QString(TraceTable::kShownBytes, QLatin1Char('A')) + QStringLiteral("\u2026"));
        QCOMPARE(cell(table, 0, TraceTable::Size), QString::number(TraceTable::kShownBytes + 1));
    }

    void theFilterKeepsTheChosenDirectionsAndCommand()
    {
        LineTrace trace;
        const struct { LineDirection direction; std::string bytes; } session[] = {
            {LineDirection::Sent, "K"}, {LineDirection::Received, "\x10"}, {LineDirection::Sent, "H"},
            {LineDirection::Received, std::string(56, '\0')}, {LineDirection::Sent, "K"}, {LineDirection::Received, "\x11"},
        };
        std::int64_t us = 0;
        for (const auto& s : session)
            trace.recordAt(s.direction, us += 100'000, s.bytes);
        TraceTable table(trace);
        QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QString k = QStringLiteral("TX|K lettura ingressi");
        const struct { bool sent, received; char command; QStringList rows; } cases[] = {
            {true, true, 'K', {k, QStringLiteral("RX|stato ingressi 10: Mor.11(segnale power +24) ON"), k,
                               QStringLiteral("RX|stato ingressi 11: Mor.12(conteggio), Mor.11(segnale power +24) ON")}},
            {true, false, 0, {k, QStringLiteral("TX|H lettura parametri"), k}},
            {false, true, 'H', {QStringLiteral("RX|record di 56 byte, CRC 0-0 errato (calcolato 102-71)")}},
            {false, false, 0, {}},
        };
        for (const auto& c : cases) {
            table.setFilter(c.sent, c.received, c.command);
            QCOMPARE(rows(table), c.rows);
        }
        table.setFilter(true, true, 0);
        QCOMPARE(table.rowCount(), 6);
    }

    // A live session through a small ring, with and without a filter, checked at every step:
    // the rows are always exactly the frames held that pass the filter, in order.
    void aLiveFloodKeepsTheRowsAndTheFramesInStep()
    {
        const struct { bool sent, received; char command; } filters[] = {
            {true, true, 0}, {true, false, 0}, {true, true, 'K'},
        };
        for (const auto& filter : filters) {
            LineTrace trace(64);
            TraceTable table(trace);
            QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::QtTest);
            table.setFilter(filter.sent, filter.received, filter.command);
            std::mt19937 random(3);
            std::int64_t us = 0;
            for (int step = 0; step < 400; ++step) {
                const int entries = static_cast<int>(random() % 4);
                for (int e = 0; e < entries; ++e) {
                    const bool sent = random() % 2;
                    us += random() % 3 ? 1'000 : 50'000;
                    trace.recordAt(sent ? LineDirection::Sent : LineDirection::Received, us,
                                   sent ? std::string(1, "KHJS"[random() % 4]) : std::string(1 + random() % 20, 'r'));
                }
                table.refresh();
                const tq::TraceFrames& frames = table.frames();
                int expected = 0;
                for (std::size_t f = 0; f < frames.size(); ++f) {
                    const bool shown = (frames.direction(f) == LineDirection::Sent ? filter.sent : filter.received)
                        && (filter.command == 0 || frames.command(f) == filter.command);
                    if (!shown)
                        continue;
                    QVERIFY(expected < table.rowCount());
                    QCOMPARE(table.frameOf(expected), f);
                    ++expected;
                }
                QCOMPARE(table.rowCount(), expected);
            }
        }
    }

    void aNewConnectionEmptiesTheTable()
    {
        LineTrace trace;
        trace.recordAt(LineDirection::Sent, 0, "H");
        TraceTable table(trace);
        QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::QtTest);
        trace.restart();
        QVERIFY(!table.refresh());
        QCOMPARE(table.rowCount(), 0);
        trace.record(LineDirection::Sent, "J");
        QVERIFY(table.refresh());
        QCOMPARE(rows(table), QStringList{QStringLiteral("TX|J lettura voci del menu")});
    }
};

QTEST_GUILESS_MAIN(TraceTableTest)
#include "trace_table_test.moc"
