// The verify-before-commit cycle end to end: the main window on the offscreen platform, its
// real serial backend on the pseudo-terminal of a tq310-sim process, and the receive engine
// ticked by hand once the awaited bytes are waiting.
#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "app/Form1.h"
#include "params/param_record.h"
#include "sim/param_image.h"
#include "ui/message_box.h"

using tq::Form1;

namespace {

// One tq310-sim process, with its port alias kept in a folder of its own.
class Simulator {
public:
    explicit Simulator(const QStringList& arguments)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TQ310_PORT_ALIASES"), m_aliases.path());
        m_process.setProcessEnvironment(env);
        m_process.start(QStringLiteral(TQ310_SIM), arguments);
        const QByteArray prefix = "Simulated TQ310 on ";
        QElapsedTimer clock;
        clock.start();
        while (!m_output.contains('\n') && !clock.hasExpired(5000) && m_process.waitForReadyRead(100))
            m_output += m_process.readAllStandardOutput();
        const QByteArray line = m_output.left(m_output.indexOf('\n'));
        if (line.startsWith(prefix))
            m_slave = QString::fromLocal8Bit(line.mid(prefix.size()));
    }
    ~Simulator()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }
    QString slave() const { return m_slave; }

private:
    QTemporaryDir m_aliases;
    QProcess m_process;
    QByteArray m_output;
    QString m_slave;
};

// The main window connected to the simulator through the port chooser, as a user picks it.
struct Tool {
    Form1 form;

    explicit Tool(const QString& slave)
    {
        form.setPortBackends(
            [slave] {
                tq::PortDiscovery found;
                tq::PortEntry entry;
                entry.name = "Porta seriale (COM1)";
                entry.detail = slave;
                entry.location = slave;
                entry.number = 1;
                entry.kind = tq::PortEntry::Kind::Alias;
                found.entries.push_back(entry);
                return found;
            },
            {});
        form.Form_Load();
        form.chooser()->List1_Click(form.chooser()->List1->item(0));
        form.Timer1->stop();
    }
    tq::Module1& m() { return form.module(); }

    bool waitForBytes(int count, int ms = 5000)
    {
        QElapsedTimer clock;
        clock.start();
        while (form.port()->bytesWaiting() < count) {
            if (clock.hasExpired(ms))
                return false;
            QTest::qWait(5);
        }
        return true;
    }

    // The engine through the parameter record and the menu texts, a tick as each is complete.
    bool completeReadBack()
    {
        if (!waitForBytes(56))
            return false;
        form.Timer1_Timer();
        if (m().ReceiveMode != tq::MenuRead || !waitForBytes(120))
            return false;
        form.Timer1_Timer();
        return m().ReceiveMode == tq::Terminal;
    }
};

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray bytes(const std::string& s)
{
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

// What the simulator's EEPROM holds after a commit of this working copy.
QByteArray committed(const tq::Module1& m)
{
    return bytes(std::string(m.FileParams.begin(), m.FileParams.begin() + 56) + tq::menuTextBlock(m.FileMenuTexts));
}

}  // namespace

class TransfersPtyTest : public QObject {
    Q_OBJECT

private slots:
    void writeReadBackCommitThenReinitialise()
    {
        QTemporaryDir dir;
        const QString eeprom = dir.filePath(QStringLiteral("eeprom.bin"));
        Simulator sim({QStringLiteral("--eeprom"), eeprom});
        QVERIFY(!sim.slave().isEmpty());
        Tool tool(sim.slave());
        QVERIFY(tool.form.isConnected());

        // A parameter file of the user's, every text 10 characters as the controller holds them.
        const QString ini = dir.filePath(QStringLiteral("macchina.ini"));
        QByteArray content = "122013\r\n";
        for (int i = 0; i < tq::kParamCount; ++i)
            content += QByteArray::number(i < 3 ? i % 2 : (i * 7 + 3) % 250) + "\r\n";
        for (int k = 0; k < 12; ++k)
            content += "VOCE " + QByteArray::number(k).rightJustified(2, '0') + " \xE8 \r\n";
        QFile file(ini);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        tool.form.askPath = [ini](bool) { return ini; };
        tool.form.aprif->trigger();
        QCOMPARE(tool.m().FileParams[10], std::uint8_t(73));
        QCOMPARE(tool.m().FileMenuTexts[11], std::string("VOCE 11 \xE8 "));

        tool.form.AlTq310->trigger();
        tool.form.daltq310->trigger();
        QVERIFY(tool.completeReadBack());
        QCOMPARE(tool.m().ChipParams, tool.m().FileParams);
        for (int k = 0; k < 12; ++k)
            QCOMPARE(tool.m().ChipMenuTexts[k], tool.m().FileMenuTexts[k]);

        tq::ui::MessageCapture capture;
        tool.form.Weeprom->trigger();
        tool.form.syncTerminal();
        QVERIFY(capture.messages.empty());
        QCOMPARE(tool.form.Text1->toPlainText(), QStringLiteral("Parametri salvati in EEPROM"));
        // Only "W" with the password makes the simulator write its EEPROM file.
        const QByteArray saved = committed(tool.m());
        QTRY_COMPARE_WITH_TIMEOUT(fileBytes(eeprom), saved, 5000);

        // A later write that is not committed is forgotten by "z": the controller reloads its
        // working memory from the EEPROM, and a read-back shows the committed record again.
        const tq::ParamRecord record = tool.m().FileParams;
        tool.m().FileParams[5] ^= 0x40;
        tool.m().FileMenuTexts[0] = "NON SALVAT";
        tool.form.ListInit();
        tool.form.AlTq310->trigger();
        tool.form.daltq310->trigger();
        QVERIFY(tool.completeReadBack());
        QCOMPARE(tool.m().ChipParams[5], tool.m().FileParams[5]);

        tool.form.RipIni->trigger();
        tool.form.daltq310->trigger();
        QVERIFY(tool.completeReadBack());
        QCOMPARE(tool.m().ChipParams, record);
        QCOMPARE(tool.m().ChipMenuTexts[0], std::string("VOCE 00 \xE8 "));
        QCOMPARE(fileBytes(eeprom), saved);
    }

    void copyFromTheControllerCommitsAtOnce()
    {
        QTemporaryDir dir;
        // No EEPROM file yet: the simulator starts from the factory set-up and writes the file
        // at its first commit.
        const QString eeprom = dir.filePath(QStringLiteral("eeprom.bin"));
        Simulator sim({QStringLiteral("--eeprom"), eeprom});
        Tool tool(sim.slave());
        QVERIFY(tool.form.isConnected());
        tool.m().FileParams.fill(1);
        tool.m().FileParams[56] = 0;
        tool.m().FileMenuTexts.fill("VECCHIO");
        for (int k = 13; k < tq::kMenuTextSlots; ++k)
            tool.m().FileMenuTexts[k].clear();
        tool.m().CurrentFileName = "vecchio.ini";

        tool.form.ChipBuffer->trigger();
        QVERIFY(tool.completeReadBack());

        const tq::sim::ParamImage factory = tq::sim::factorySetup();
        for (int i = 0; i < 56; ++i)
            QCOMPARE(tool.m().FileParams[i], factory.record[i]);
        for (int k = 0; k < 12; ++k)
            QCOMPARE(tool.m().FileMenuTexts[k], factory.texts.substr(10 * k, 10));
        QCOMPARE(tool.m().FileMenuTexts[12], std::string());
        QVERIFY(tool.m().CurrentFileName.empty());
        QCOMPARE(tool.form.Label1->text(), QStringLiteral(" Dati recuperati dal TQ310"));
        QCOMPARE(tool.form.List1->item(0)->text().mid(28, 3),
                 QString::number(factory.record[0]).leftJustified(3, QLatin1Char(' ')));

        tq::ui::MessageCapture capture;
        tool.form.Weeprom->trigger();
        QVERIFY(capture.messages.empty());
        QTRY_COMPARE_WITH_TIMEOUT(fileBytes(eeprom), bytes(factory.bytes()), 5000);
    }

    void aSilentControllerChangesNeitherDeviceCopy()
    {
        Simulator sim({QStringLiteral("--fault"), QStringLiteral("silent")});
        Tool tool(sim.slave());
        QVERIFY(tool.form.isConnected());
        tq::Module1& m = tool.m();
        for (int i = 0; i < 56; ++i)
            m.ChipParams[i] = static_cast<std::uint8_t>(i + 1);
        m.ChipMenuTexts.fill("PRIMA     ");
        const tq::Module1 before = m;

        for (QAction* item : {tool.form.daltq310, tool.form.ChipBuffer}) {
            item->trigger();
            // A controller answers the record within 60 ms; this one says nothing in 400.
            QVERIFY(!tool.waitForBytes(1, 400));
            tool.form.Timer1_Timer();
            QCOMPARE(tool.form.Text1->toPlainText(),
                     QString::fromLatin1(m.NoAnswerText).remove(QLatin1Char('\r')));
            QCOMPARE(m.ReceiveMode, std::uint8_t(tq::ParamRead));
            QCOMPARE(m.ChipParams, before.ChipParams);
            QCOMPARE(m.ChipMenuTexts, before.ChipMenuTexts);
            QCOMPARE(m.FileParams, before.FileParams);
        }
        QVERIFY(!m.NoAnswerText.empty());
        QCOMPARE(m.ChipToBuffer, std::uint8_t(1));
    }
};

QTEST_MAIN(TransfersPtyTest)
#include "transfers_pty_test.moc"
