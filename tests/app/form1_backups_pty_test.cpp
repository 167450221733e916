// Backups end to end: the main window on the offscreen platform, connected through the port
// chooser to the pseudo-terminal of a tq310-sim process with the real serial backend. The faults
// guarded against: a backup that is not what "salva" would write for the controller's values, a
// copy of an unchanged set-up at every read-back, and a backup failure that disturbs the
// read-back (a message box, another caption, a list or terminal changed beyond its one line).
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

#include "app/Form1.h"
#include "files/backups.h"
#include "support/simulated_form1.h"
#include "ui/message_box.h"

namespace {

// The main window on the simulator (support/simulated_form1.h), and what it shows.
struct SimulatedTool : tq::test::SimulatedTool {
    // Everything the read-back left in sight.
    QStringList screen()
    {
        QStringList shown{QString::number(control<QAction>(form, "ParUsb")->isEnabled())};
        for (const char* label : {"Label1", "Label4", "Label5", "Differenze"})
            shown << control<QLabel>(form, label)->text();
        const QListWidget* List1 = control<QListWidget>(form, "List1");
        for (int row = 0; row < List1->count(); ++row)
            shown << List1->item(row)->text() + QLatin1Char('|') + List1->item(row)->toolTip();
        return shown;
    }
};

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

}  // namespace

class Form1BackupsPtyTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void aReadBackLeavesOneBackupAsSalvaWritesTheSameValues()
    {
        const QString folder = m_dir.filePath(QStringLiteral("copie"));
        qputenv("TQ310_BACKUPS", folder.toLocal8Bit());
        SimulatedTool tool;
        QVERIFY(tool.form.isConnected());
        tq::ui::MessageCapture capture;

        QVERIFY(tool.readBack("daltq310"));
        const QStringList first = tq::backupFiles(folder);
        QCOMPARE(first.size(), 1);
        // Named by the moment and the device CRC as its caption shows it.
        const QString crc = control<QLabel>(tool.form, "Label4")->text().section(QLatin1Char(' '), 0, 0);
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{8}-\\d{6}-") + crc + QStringLiteral("\\.ini$")).match(first[0]).hasMatch(),
                 qPrintable(first[0]));

        // "salva" of the same values, through the menu.
        tq::Module1& m = tool.m();
        std::copy_n(m.ChipParams.begin(), tq::kParamCount, m.FileParams.begin());
        std::copy_n(m.ChipMenuTexts.begin(), tq::kDeviceMenuTexts, m.FileMenuTexts.begin());
        const QString saved = m_dir.filePath(QStringLiteral("salvato.ini"));
        m.CurrentFileName = saved.toStdString();
        use(tool.form, "salvafile");
        QCOMPARE(bytesOf(folder + QLatin1Char('/') + first[0]), bytesOf(saved));

        // The same set-up read again, also into the buffer: nothing new.
        QVERIFY(tool.readBack("daltq310"));
        QVERIFY(tool.readBack("ChipBuffer"));
        QCOMPARE(tq::backupFiles(folder), first);

        // A changed set-up written and read back: a second backup.
        m.FileParams[20] ^= 0x01;
        use(tool.form, "AlTq310");
        QVERIFY(tool.readBack("daltq310"));
        QCOMPARE(tq::backupFiles(folder).size(), 2);
        QVERIFY(capture.messages.empty());
    }

    void aBackupThatFailsIsReportedOnceWithItsReasonAndChangesNothingElse()
    {
        QFile plain(m_dir.filePath(QStringLiteral("plain")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const QString unwritable = plain.fileName() + QStringLiteral("/copie");  // not even root makes it
        const QString failed = QStringLiteral("Copia di sicurezza NON salvata in ") + unwritable;
        int tried = 0;
        for (const char* item : {"daltq310", "ChipBuffer"}) {
            QStringList screens[2], boxes[2];
            std::string terminals[2];
            const QString folders[2] = {m_dir.filePath(QStringLiteral("buone%1").arg(tried++)), unwritable};
            for (int run = 0; run < 2; ++run) {
                qputenv("TQ310_BACKUPS", folders[run].toLocal8Bit());
                SimulatedTool tool;
                tq::ui::MessageCapture capture;
                QVERIFY(tool.readBack(item));
                QCoreApplication::processEvents();  // the box comes after the tick that took the texts
                screens[run] = tool.screen();
                terminals[run] = tool.form.terminal().text();
                for (const tq::ui::ShownMessage& m : capture.messages)
                    boxes[run] << m.shown;
                QCOMPARE(tq::backupFiles(folders[run]).size(), run == 0 ? 1 : 0);
            }
            QCOMPARE(screens[1], screens[0]);
            QCOMPARE(terminals[1], terminals[0] + failed.toStdString() + "\r\n");
            QCOMPARE(boxes[0], QStringList());
            QCOMPARE(boxes[1], QStringList{failed + QStringLiteral(" (") + qt_error_string(ENOTDIR) + QLatin1Char(')')});
        }
    }
};

QTEST_MAIN(Form1BackupsPtyTest)
#include "form1_backups_pty_test.moc"

