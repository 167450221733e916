// The trace window on Qt's offscreen platform, over real files: what the engineer reads in it
// while the line runs, what the filters leave, and that a trace saved from it opens in it again.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <sys/stat.h>

#include "support/disk_full.h"
#include "support/file_bytes.h"
#include "trace/line_trace_window.h"
#include "trace/trace_file.h"
#include "ui/message_box.h"

using tq::LineDirection;
using tq::LineTrace;
using tq::LineTraceWindow;
using tq::TraceTable;

namespace {

// The decoded column as the view shows it.
QStringList decodedRows(LineTraceWindow& w)
{
    QStringList rows;
    const QAbstractItemModel* model = w.Table->model();
    for (int row = 0; row < model->rowCount(); ++row)
        rows << model->index(row, TraceTable::Decoded).data().toString();
    return rows;
}

void pollSession(LineTrace& trace, int cycles, std::int64_t& us)
{
    for (int i = 0; i < cycles; ++i) {
        trace.recordAt(LineDirection::Sent, us += 60'000, "K");
        trace.recordAt(LineDirection::Received, us += 2'000, "\x18");
    }
}

}  // namespace

class LineTraceWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void followsTheLineWhileOpenAndKeepsTheEndInSight()
    {
        LineTrace live;
        std::int64_t us = 0;
        live.recordAt(LineDirection::Sent, us, "H");
        LineTraceWindow w(live);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(decodedRows(w), QStringList{QStringLiteral("H lettura parametri")});

        pollSession(live, 500, us);
        QTRY_COMPARE(w.Table->model()->rowCount(), 1001);  // on the window's own timer
        QTRY_COMPARE(w.Table->verticalScrollBar()->value(), w.Table->verticalScrollBar()->maximum());
        QVERIFY(w.Table->verticalScrollBar()->maximum() > 0);
        QCOMPARE(w.StatusLabel->text(), QStringLiteral("Linea: 1001 trame, 1001 byte (al massimo 4194304)"));

        // Not following: the rows still come, the view stays where the engineer put it.
        w.FollowBox->setChecked(false);
        w.Table->verticalScrollBar()->setValue(0);
        pollSession(live, 10, us);
        w.refresh();
        QCOMPARE(w.Table->model()->rowCount(), 1021);
        QCOMPARE(w.Table->verticalScrollBar()->value(), 0);

        w.hide();
        QVERIFY(!w.RefreshTimer->isActive());
    }

    void filtersByDirectionAndByCommand()
    {
        LineTrace live;
        std::int64_t us = 0;
        live.recordAt(LineDirection::Sent, us += 100'000, "H");
        live.recordAt(LineDirection::Received, us += 60'000, std::string(56, '\0'));
        pollSession(live, 2, us);
        LineTraceWindow w(live);
        const QString poll = QStringLiteral("K lettura ingressi");
        const QString inputs = QStringLiteral("stato ingressi 18: scheda(selettore lavoro), Mor.11(segnale power +24) ON");
        const QString record = QStringLiteral("record di 56 byte, CRC 0-0 errato (calcolato 102-71)");
        const QString all = QStringLiteral("tutti");
        const struct { bool sent, received; QString command; QStringList rows; } cases[] = {
            {true, true, all, {QStringLiteral("H lettura parametri"), record, poll, inputs, poll, inputs}},
            {false, true, all, {record, inputs, inputs}},
            {true, true, poll, {poll, inputs, poll, inputs}},
            {true, false, poll, {poll, poll}},
            {true, true, QStringLiteral("W salvataggio EEPROM"), {}},
        };
        for (const auto& c : cases) {
            w.SentBox->setChecked(c.sent);
            w.ReceivedBox->setChecked(c.received);
            w.CommandBox->setCurrentIndex(w.CommandBox->findText(c.command));
            QCOMPARE(decodedRows(w), c.rows);
        }
        QCOMPARE(w.CommandBox->count(), 22);  // "tutti" and the 21 commands
    }

    void savesTheTraceAndOpensItAgain()
    {
        LineTrace live;
        std::int64_t us = 0;
        pollSession(live, 3, us);
        LineTraceWindow w(live);
        const QString path = m_dir.filePath(QStringLiteral("salvato.txt"));
        w.askPath = [&](bool) { return path; };
        w.SaveButton->click();
        tq::TraceFrames frames(live);
        frames.update();
        QCOMPARE(tq::test::fileBytes(path).toStdString(), tq::traceText(frames));

        // The line goes on; the saved file shows what it held then.
        pollSession(live, 1, us);
        w.OpenButton->click();
        QVERIFY(w.showingFile());
        QVERIFY(w.LiveButton->isEnabled());
        QCOMPARE(w.Table->model()->rowCount(), 6);
        QCOMPARE(w.StatusLabel->text(), QStringLiteral("File salvato.txt: 6 trame, 6 byte (al massimo 4194304)"));
        w.LiveButton->click();
        QVERIFY(!w.showingFile());
        QVERIFY(!w.LiveButton->isEnabled());
        QCOMPARE(w.Table->model()->rowCount(), 8);

        // A ring smaller than the file keeps the newest frames, as recording does, and says so.
        LineTrace small(4);
        LineTraceWindow narrow(small);
        narrow.askPath = [&](bool) { return path; };
        narrow.OpenButton->click();
        QCOMPARE(narrow.StatusLabel->text(),
                 QStringLiteral("File salvato.txt: 4 trame, 4 byte (al massimo 4), 2 trame pi\u00F9 vecchie lasciate fuori"));
        QCOMPARE(narrow.table().frames().frame(0).us, 122'000);
    }

    // FIFOs are POSIX's, and a disk that fills up is a POSIX process's file-size limit
    // (support/disk_full.h).
#ifdef Q_OS_UNIX
    void aFileThatCannotBeReadOrWrittenIsReported()
    {
        LineTrace live;
        std::int64_t us = 0;
        live.recordAt(LineDirection::Received, us, std::string(5000, 'x'));
        LineTraceWindow w(live);
        // A folder's own characters stay in the messages.
        const QString folder = m_dir.filePath(QStringLiteral("\u039C\u03B7\u03C7\u03B1\u03BD\u03AE"));
        const QString broken = folder + QStringLiteral("/rotto.txt"), fifo = folder + QStringLiteral("/fifo.txt"),
                      inner = folder + QStringLiteral("/cartella"), missing = folder + QStringLiteral("/assente.txt");
        QVERIFY(QDir().mkpath(inner) && mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        const QByteArray content("0.000000 TX 48\n0.000001 TX\n");
        QVERIFY(tq::test::writeFile(broken, content));
        tq::ui::MessageCapture capture;
        for (const QString& path : {broken, fifo, QStringLiteral("/dev/zero"), inner, missing}) {
            w.askPath = [&](bool) { return path; };
            w.OpenButton->click();  // neither read for ever nor taken for a trace
            QVERIFY(!w.showingFile());
        }
        w.askPath = [&](bool) { return broken; };
        tq::test::withDiskFull(1000, [&] { w.SaveButton->click(); });
        const QStringList shown{
            QStringLiteral("Registro non leggibile: ") + broken + QStringLiteral(": riga 2: nessun byte"),
            QStringLiteral("Registro non leggibile: ") + fifo + QStringLiteral(": \u00E8 una FIFO"),
            QStringLiteral("Registro non leggibile: /dev/zero: \u00E8 un dispositivo"),
            QStringLiteral("Registro non leggibile: ") + inner + QStringLiteral(": \u00E8 una cartella"),
            QStringLiteral("Registro non leggibile: ") + missing + QStringLiteral(": ") + qt_error_string(ENOENT),
            QStringLiteral("Errore nella scrittura: il registro NON \u00E8 stato salvato  ") + broken + QStringLiteral(" (")
                + qt_error_string(EFBIG) + QLatin1Char(')'),
        };
        QCOMPARE(capture.messages.size(), std::size_t(shown.size()));
        for (std::size_t i = 0; i < capture.messages.size(); ++i) {
            QCOMPARE(capture.messages[i].shown, shown[qsizetype(i)]);
            QCOMPARE(capture.messages[i].title, std::string("ERRORE"));
        }
        QCOMPARE(tq::test::fileBytes(broken), content);  // left as it was, and no temporary file beside it
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("rotto.txt")});
    }
#endif
};

QTEST_MAIN(LineTraceWindowTest)
#include "window_test.moc"
