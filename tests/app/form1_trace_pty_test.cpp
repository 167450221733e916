// The line trace on the main window, end to end: a read-back from a tq310-sim process over a real
// pseudo-terminal, read in "Registro della linea" and saved with "Salva registro"; then a second
// tq310-sim, which holds the factory set-up, replays the saved trace, and the same read-back
// through it shows the device column and the device CRC the first one showed. Over a network
// line (tq310-sim --listen), the same read-back and trace, and the simulator stopped is one
// lost line.
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include "app/Form1.h"
#include "sim/eeprom_file.h"
#include "sim/param_image.h"
#include "support/file_bytes.h"
#include "support/simulated_form1.h"
#include "trace/trace_table.h"
#include "ui/message_box.h"

namespace {

// The main window on the pseudo-terminal of one tq310-sim (support/simulated_form1.h), through
// the chooser or as --port starts it; the test ticks once the awaited bytes are waiting.
struct Tool : tq::test::SimulatedTool {
    using SimulatedTool::SimulatedTool;

    // One tick once `count` bytes wait; whether they came.
    bool tickWhen(int count)
    {
        const bool arrived = waitForBytes(count);
        tick();
        return arrived;
    }
    QStringList list() const
    {
        const QListWidget* List1 = control<QListWidget>(form, "List1");
        QStringList lines;
        for (int i = 0; i < List1->count(); ++i)
            lines << List1->item(i)->text();
        return lines;
    }
    QStringList decodedRows()
    {
        tq::LineTraceWindow* window = form.lineTraceWindow();
        window->refresh();
        QStringList rows;
        const QAbstractItemModel* model = window->Table->model();
        for (int row = 0; row < model->rowCount(); ++row)
            rows << model->index(row, tq::TraceTable::Direction).data().toString() + QLatin1Char(' ')
                    + model->index(row, tq::TraceTable::Decoded).data().toString();
        return rows;
    }
};

}  // namespace

class Form1TracePtyTest : public QObject {
    Q_OBJECT

private slots:
    void aTraceSavedAtTheMachineIsReplayedOnTheBench()
    {
        QTemporaryDir dir;
        const QString eeprom = dir.filePath(QStringLiteral("eeprom.bin"));
        tq::sim::ParamImage machine = tq::sim::factorySetup();
        machine.record[1] = 1;
        machine.record[30] = 0x45;
        machine.sealCrc();
        machine.record[tq::kCrcHigh] ^= 0x01;  // the fault at the machine: a CRC one bit off
        machine.texts.replace(10, 10, "CARTELLA 9");
        QString error;
        QVERIFY(tq::sim::saveEepromFile(eeprom, machine, &error));
        const QString saved = dir.filePath(QStringLiteral("registro della macchina.txt"));
        const std::string crc = std::to_string(machine.record[tq::kCrcHigh]) + "-" + std::to_string(machine.record[tq::kCrcLow]);

        QStringList atTheMachine;
        QString crcAtTheMachine;
        const QDateTime before = QDateTime::currentDateTime().addMSecs(-1000);
        {
            Tool tool({QStringLiteral("--eeprom"), eeprom});
            use(tool.form, "RegLinea");
            QVERIFY(tool.form.lineTraceWindow()->isVisible());
            QVERIFY(tool.form.isEnabled());  // the engineer goes on working the tool
            QVERIFY(tool.readBack("daltq310"));
            const QStringList rows = tool.decodedRows();
            QCOMPARE(rows.size(), 4);
            QCOMPARE(rows[0], QStringLiteral("TX H lettura parametri"));
            QVERIFY2(rows[1].startsWith(QString::fromStdString("RX record di 56 byte, CRC " + crc + " errato (calcolato ")),
                     qPrintable(rows[1]));
            QCOMPARE(rows[2], QStringLiteral("TX J lettura voci del menu"));
            QVERIFY2(rows[3].contains(QStringLiteral("\"CARTELLA 9\"")), qPrintable(rows[3]));

            tool.form.lineTraceWindow()->askPath = [&](bool save) { return save ? saved : QString(); };
            tool.form.lineTraceWindow()->SaveButton->click();
            atTheMachine = tool.list();
            crcAtTheMachine = control<QLabel>(tool.form, "Label4")->text();
            // The heading says when and where it was recorded, and by what.
            const QList<QByteArray> heading = tq::test::fileBytes(saved).split('\n');
            const QByteArray port = ", porta Com.1 " + tool.sim.slave().toLatin1() + "\r";
            QVERIFY2(heading[1].startsWith("# connessione: ") && heading[1].endsWith(port), heading[1].constData());
            const QDateTime connected = QDateTime::fromString(QString::fromLatin1(heading[1].mid(15, 19)),
                                                              QStringLiteral("dd/MM/yyyy HH:mm:ss"));
            QVERIFY2(connected >= before && connected <= QDateTime::currentDateTime(), heading[1].constData());
            QCOMPARE(heading[2], "# registrato da: " + QCoreApplication::applicationName().toLatin1() + "\r");
        }
        QCOMPARE(crcAtTheMachine, QString::fromStdString(crc + " Chip "));

        Tool bench({QStringLiteral("--replay"), saved});
        QVERIFY(bench.readBack("daltq310"));
        QCOMPARE(bench.list(), atTheMachine);
        QCOMPARE(control<QLabel>(bench.form, "Label4")->text(), crcAtTheMachine);
    }

    void theItemIsLastInAccessoriAndANewConnectionStartsANewTrace()
    {
        Tool tool;
        const QList<QAction*> items = control<QMenu>(tool.form, "accessori")->actions();
        QCOMPARE(items.last(), control<QAction>(tool.form, "RegLinea"));
        QCOMPARE(control<QAction>(tool.form, "RegLinea")->text(), QStringLiteral("Registro della linea"));
        QCOMPARE(items.at(items.size() - 2), control<QAction>(tool.form, "ErrEEprom"));

        use(tool.form, "RegLinea");
        use(tool.form, "CIngressi");
        tool.form.Timer1_Timer();  // the request tick follows a reply tick
        tool.form.Timer1_Timer();
        QVERIFY(tool.tickWhen(1));
        QCOMPARE(tool.decodedRows().first(), QStringLiteral("TX K lettura ingressi"));

        // The line goes: the trace stays to be read and saved, until the next connection.
        use(tool.form, "disconnetti");
        QVERIFY(!tool.form.isConnected());
        QVERIFY(!tool.decodedRows().isEmpty());
        use(tool.form, "connetti");
        tool.form.chooser()->List1_Click(tool.form.chooser()->List1->item(0));
        control<QTimer>(tool.form, "Timer1")->stop();
        QVERIFY(tool.form.isConnected());
        QCOMPARE(tool.decodedRows(), QStringList{});
    }

    void aNetworkLineCarriesTheReadBackAndGoesOnce()
    {
        tq::ui::MessageCapture messages;
        Tool tool({QStringLiteral("--listen"), QStringLiteral("0")}, true);
        const std::string url = tool.sim.slave().toStdString();
        QVERIFY(url.starts_with("tcp://127.0.0.1:") && tool.form.isConnected());
        use(tool.form, "RegLinea");
        QVERIFY(tool.readBack("daltq310"));
        QCOMPARE(control<QLabel>(tool.form, "Label4")->text(), QStringLiteral("251-88 Chip "));
        const QStringList rows = tool.decodedRows();
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows[0], QStringLiteral("TX H lettura parametri"));
        QCOMPARE(rows[1], QStringLiteral("RX record di 56 byte, CRC 251-88 corretto"));
        QCOMPARE(rows[2], QStringLiteral("TX J lettura voci del menu"));

        tool.sim.process().terminate();
        QTRY_VERIFY(!tool.form.isConnected());
        QCoreApplication::processEvents();  // a second report would have been queued by now
        QCOMPARE(messages.messages.size(), std::size_t(1));
        QVERIFY(messages.messages[0].text.starts_with(" Connessione persa con la porta Com."));
        QVERIFY(messages.messages[0].text.ends_with(" : " + url + " ha chiuso la connessione "));
    }
};

QTEST_MAIN(Form1TracePtyTest)
#include "form1_trace_pty_test.moc"

