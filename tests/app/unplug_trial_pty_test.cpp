// The cable pulled a hundred times at random moments of the device operations, against
// tq310-sim on a pseudo-terminal: its "drop" mode hangs the line up as a pulled adapter does.
// After every pull the tool must show exactly one message, be unconnected, and have kept the
// working copy, the file name and the list as they were, without touching the open parameter
// file; then it connects again through the same port alias and the controller answers.
// The moments come from a seeded generator whose seed is printed (TQ310_UNPLUG_SEED repeats a run).
#include <QAction>
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <random>
#include <string>
#include <vector>

#include "app/Form1.h"
#include "files/param_file.h"
#include "operations/form2.h"
#include "operations/inp_out.h"
#include "support/control.h"
#include "support/simulator_process.h"
#include "ui/message_box.h"

namespace {

constexpr int kUnplugs = 100;

// What the user has in hand when the line goes: it must survive the pull.
struct Held {
    tq::ParamRecord params;
    tq::MenuTexts texts;
    std::string fileName;
    QStringList list;

    bool operator==(const Held&) const = default;
};

Held held(tq::Form1& form)
{
    QStringList list;
    for (int i = 0; i < control<QListWidget>(form, "List1")->count(); ++i)
        list << control<QListWidget>(form, "List1")->item(i)->text();
    const tq::Module1& m = form.module();
    return {m.FileParams, m.FileMenuTexts, m.CurrentFileName, list};
}

// The parameter file on disk, as far as a save could change it: the folder's names, the bytes
// and the modification time.
struct OnDisk {
    QStringList names;
    QByteArray bytes;
    QDateTime modified;

    bool operator==(const OnDisk&) const = default;
};

OnDisk onDisk(const QString& path)
{
    QFile file(path);
    const QFileInfo info(path);
    return {info.dir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), info.lastModified()};
}

enum class Operation { ReadBack, Write, InputPolling, OutputTest, MemoryStepping, Simulation };
constexpr int kOperations = 6;
const char* const kOperationNames[] = {"read-back", "write", "input polling", "output test", "memory stepping",
                                       "production simulation"};

std::uint32_t trialSeed()
{
    const QByteArray fixed = qgetenv("TQ310_UNPLUG_SEED");
    return fixed.isEmpty() ? std::random_device{}() : fixed.toUInt();
}

}  // namespace

class UnplugTrialPtyTest : public QObject {
    Q_OBJECT

private slots:
    void aHundredPullsLoseNothing()
    {
        const std::uint32_t seed = trialSeed();
        std::printf("unplug trial seed %u (TQ310_UNPLUG_SEED=%u repeats it)\n", seed, seed);
        std::mt19937 random(seed);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("banco.ini"));
        tq::test::SimulatorProcess sim{QStringLiteral(TQ310_SIM)};
        QVERIFY(!sim.slave().isEmpty());
        // The link that the simulator points at its line, the new one after every plug.
        const QString alias = sim.waitForLine(QStringLiteral("Port alias: "));
        QVERIFY(!alias.isEmpty());

        tq::ui::MessageCapture messages;
        tq::Form1 form;
        form.setPortBackends(
            [alias] {
                return tq::PortDiscovery{{tq::PortEntry{"Porta seriale (COM1)", alias, alias, 1, tq::PortEntry::Kind::Alias}}, {}};
            },
            {});
        form.Form_Load();
        QVERIFY(reconnect(form));
        openFile(form, path);
        const OnDisk file = onDisk(path);

        int unplugs = 0;
        int recovered = 0;
        int lost = 0;
        for (int trial = 0; trial < kUnplugs; ++trial) {
            const auto operation = static_cast<Operation>(trial % kOperations);
            const int moment = std::uniform_int_distribution<int>(0, 300)(random);
            start(form, operation);
            QTest::qWait(moment);

            control<QTimer>(form, "Timer1")->stop();
            const bool connectedAtThePull = form.isConnected();
            const Held before = held(form);
            const std::size_t shown = messages.messages.size();
            sim.process().write("drop\n");
            ++unplugs;
            const bool noticed = QTest::qWaitFor([&] { return !form.isConnected(); }, 5000);
            QCoreApplication::processEvents();  // a second report would have been queued by now
            form.Timer1_Timer();                // a tick that was already due finds no port

            QStringList faults;
            if (!connectedAtThePull)
                faults << QStringLiteral("the line was lost before it was pulled");
            if (!noticed)
                faults << QStringLiteral("still connected");
            if (messages.messages.size() != shown + 1)
                faults << QStringLiteral("%1 messages").arg(messages.messages.size() - shown);
            else if (!messages.messages.back().text.starts_with(" Connessione persa con la porta Com.1 : "))
                faults << QString::fromLatin1(messages.messages.back().text);
            if (!unconnected(form))
                faults << QStringLiteral("not in the unconnected state");
            if (!(held(form) == before))
                faults << QStringLiteral("working copy, file name or list changed");
            if (!(onDisk(path) == file))
                faults << QStringLiteral("the parameter file was touched");
            if (!faults.isEmpty()) {
                ++lost;
                qWarning("pull %d during %s after %d ms: %s", trial + 1, kOperationNames[int(operation)], moment,
                         qPrintable(faults.join(QStringLiteral("; "))));
            }

            closeSecondaryWindows(form);
            sim.process().write("none\n");
            if (sim.waitForLine(QStringLiteral("Simulated TQ310 on ")).isEmpty() || !reconnect(form)) {
                qWarning("pull %d: no new connection", trial + 1);
                continue;
            }
            openFile(form, path);
            if (answers(form))
                ++recovered;
            else
                qWarning("pull %d: connected again, but the controller does not answer", trial + 1);
        }

        std::printf("%d unplugs, %d recovered, %d lost\n", unplugs, recovered, lost);
        QCOMPARE(lost, 0);
        QCOMPARE(recovered, kUnplugs);
    }

private:
    // "Connetti" and the alias in the chooser, as the user reconnects.
    static bool reconnect(tq::Form1& form)
    {
        if (control<QAction>(form, "connetti")->isEnabled())
            use(form, "connetti");
        form.chooser()->List1_Click(form.chooser()->List1->item(0));
        return form.isConnected();
    }

    // Connecting names the working copy "Dati di default"; the trial works on a file of its own.
    static void openFile(tq::Form1& form, const QString& path)
    {
        tq::Module1& m = form.module();
        if (!QFile::exists(path)) {
            for (int i = 0; i < tq::kParamCount; ++i)
                m.FileParams[i] = static_cast<std::uint8_t>(i == 3 ? 2 + tq::kOutputProtection : (i * 11 + 5) % 64);
            for (int k = 0; k < 12; ++k)
                m.FileMenuTexts[k] = "VOCE " + std::to_string(k) + "    ";
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            const std::string content = tq::paramFileContent(m);
            out.write(content.data(), qint64(content.size()));
        }
        QCOMPARE(tq::readParamFile(m, path), std::nullopt);
        form.ListInit();
    }

    static void start(tq::Form1& form, Operation operation)
    {
        switch (operation) {
        case Operation::ReadBack:
            use(form, "daltq310");
            break;
        case Operation::Write:
            use(form, "AlTq310");
            use(form, "daltq310");  // and its read-back
            break;
        case Operation::InputPolling:
            use(form, "Command13");
            break;
        case Operation::OutputTest:
            use(form, "TetUscite");
            form.form2()->Check1[2]->click();
            break;
        case Operation::MemoryStepping:
            use(form, "Command23");
            break;
        case Operation::Simulation:
            use(form, "Command14");
            break;
        }
    }

    static bool unconnected(tq::Form1& form)
    {
        return !form.isConnected() && !control<QTimer>(form, "Timer1")->isActive()
            && control<QAction>(form, "connetti")->isEnabled() && !control<QAction>(form, "disconnetti")->isEnabled()
            && !control<QPushButton>(form, "Command17")->isEnabled()
            && control<QLabel>(form, "Label8")->text() == QStringLiteral(" Nessuna connessione ");
    }

    // The user closes what was open over the main window.
    static void closeSecondaryWindows(tq::Form1& form)
    {
        if (form.form2() && form.form2()->isVisible())
            form.form2()->Command3->click();
        if (form.inpOut() && form.inpOut()->isVisible())
            form.inpOut()->close();
    }

    // "Menu +" gets the controller's display back: the item's line and its value line.
    static bool answers(tq::Form1& form)
    {
        control<QTimer>(form, "Timer1")->stop();
        use(form, "Command18");
        use(form, "Command17");
        const bool shown = QTest::qWaitFor([&] {
            form.Timer1_Timer();
            const std::string& text = form.terminal().text();
            return text.find("\r\n   = ") != std::string::npos && text.ends_with("\r\n");
        }, 2000);
        control<QTimer>(form, "Timer1")->start();
        return shown;
    }
};

QTEST_MAIN(UnplugTrialPtyTest)
#include "unplug_trial_pty_test.moc"

