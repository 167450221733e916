// The tool end to end on real pseudo-terminals: the main window (offscreen) on a line whose far
// end the test holds, or on tq310-sim through the real serial backend (support/form1_rig.h), and
// the programs' command lines run as the user runs them. Over the whole link, the transfers, the
// diagnostics, the line trace, a lost line, and the cable pulled a hundred times.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <numeric>
#include <random>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include "files/param_file.h"
#include "operations/form2.h"
#include "operations/inp_out.h"
#include "operations/simulation_rows.h"
#include "sim/machine.h"
#include "sim/memory_image.h"
#include "sim/eeprom_file.h"
#include "sim/param_image.h"
#include "support/file_bytes.h"
#include "support/form1_rig.h"
#include "ui/message_box.h"

using tq::Form1;
using namespace tq::test;  // the rig, files and program runs

namespace {

// The far end of a pseudo-terminal, held by the test where the controller would be; its line is
// listed as "banco-prova" in a folder of port aliases of its own.
struct HeldLine {
    HeldLine()
    {
        ready = peer >= 0 && grantpt(peer) == 0 && unlockpt(peer) == 0 && fcntl(peer, F_SETFL, O_NONBLOCK) == 0
            && QFile::link(slave(), aliases.filePath(QStringLiteral("banco-prova")));
    }
    ~HeldLine() { hangUp(); }
    QString slave() const { return QString::fromLocal8Bit(ptsname(peer)); }
    void hangUp()
    {
        if (peer >= 0)
            ::close(std::exchange(peer, -1));
    }
    // The main window started with this folder of aliases, then (when `location` is empty) the
    // chooser's entry that names `entry` picked; or started on `location` as --port starts it.
    static void start(Form1& form, const QString& aliases, const QString& entry, const QString& location = {})
    {
        qputenv("TQ310_PORT_ALIASES", aliases.toLocal8Bit());
        form.Form_Load(location);
        qunsetenv("TQ310_PORT_ALIASES");
        if (!location.isEmpty())
            return;
        const auto found = form.chooser()->List1->findItems(entry, Qt::MatchContains);
        QCOMPARE(found.size(), 1);
        form.chooser()->List1_Click(found[0]);
    }

    int peer = posix_openpt(O_RDWR | O_NOCTTY);
    QTemporaryDir aliases;
    bool ready = false;
};

bool lostOnce(const tq::ui::MessageCapture& messages, const std::string& reason)
{
    QCoreApplication::processEvents();  // a second report would have been queued by now
    return messages.messages.size() == 1 && messages.messages[0].text.starts_with(" Connessione persa con la porta Com.")
        && messages.messages[0].text.ends_with(reason);
}

// The long options a text names: pattern's first group, each "\-" of roff read as "-".
QStringList optionsIn(const QString& text, const QString& pattern)
{
    QStringList names;
    for (auto it = QRegularExpression(pattern, QRegularExpression::MultilineOption).globalMatch(text); it.hasNext();)
        names << it.next().captured(1).replace(QStringLiteral("\\-"), QStringLiteral("-"));
    names.removeDuplicates();
    names.sort();
    return names;
}

// --- The unplug trial: what the user has in hand when the line goes (Form1Rig::inHand) must
// survive the pull, and the parameter file on disk, as far as a save could change it (the folder's names, the bytes, the
// modification time), must stay untouched.
QString onDisk(const QString& path)
{
    const QFileInfo info(path);
    return info.dir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).join('|')
        + QString::fromLatin1(fileBytes(path).toHex()) + info.lastModified().toString(Qt::ISODateWithMs);
}

}  // namespace

class AppPtyTest : public QObject {
    Q_OBJECT

private slots:
    // ---- The link on a pseudo-terminal whose far end the test holds ----

    // The chooser lists the line through the folder of port aliases, and the QSerialPort backend
    // opens it and carries every byte value both ways unchanged. Connected and silent, the main
    // thread sleeps: after one tick with nothing to do Timer1 stands still; what the controller
    // then says wakes it and shows in Text1, and it sleeps again; a read-back wakes it without a
    // byte having come. Closing the far end puts the tool in the unconnected state with one
    // message and nothing lost.
    void connectsThroughAnAliasSleepsAtRestAndFallsBackWhenThePeerCloses()
    {
        HeldLine line;
        QVERIFY(line.ready);
        tq::ui::MessageCapture messages;
        Form1 form;
        HeldLine::start(form, line.aliases.path(), QStringLiteral("banco-prova"));
        QVERIFY(form.isConnected() && control<QTimer>(form, "Timer1")->isActive());
        form.receiveClock().stop();  // the test takes the bytes itself
        std::string all(256, '\0'), got(256, '\0');
        std::iota(all.begin(), all.end(), '\0');
        form.port()->write(all);
        std::size_t n = 0;
        QVERIFY(QTest::qWaitFor([&] {
            n += std::max<ssize_t>(0, ::read(line.peer, &got[n], got.size() - n));
            return n == got.size();
        }, 5000));
        QCOMPARE(got, all);
        QCOMPARE(::write(line.peer, all.data(), all.size()), ssize_t(all.size()));
        QTRY_COMPARE(form.port()->bytesWaiting(), 256);
        QCOMPARE(form.port()->takeAll(), all);

        form.receiveClock().start();
        QTRY_VERIFY(form.receiveClock().asleep());
        for (const char* said : {"Pronto\r\n", "Menu 3\r\n"}) {
            QCOMPARE(::write(line.peer, said, std::strlen(said)), ssize_t(std::strlen(said)));
            const QString shown = QString::fromLatin1(said).trimmed();
            QTRY_VERIFY(control<QPlainTextEdit>(form, "Text1")->toPlainText().trimmed().endsWith(shown));
            QTRY_VERIFY(form.receiveClock().asleep());
        }
        QCOMPARE(form.terminal().text(), std::string("Pronto\r\nMenu 3\r\n"));
        use(form, "daltq310");
        QCOMPARE(control<QTimer>(form, "Timer1")->interval(), 200);
        // No answer: the engine says so at every tick, and never sleeps in the read-back.
        QTRY_COMPARE(form.terminal().text(), form.module().NoAnswerText);
        QVERIFY(!form.receiveClock().asleep() && control<QTimer>(form, "Timer1")->isActive());

        // The adapter is pulled in the read-back: one message, Timer1 stops, and the terminal stays
        // (the rest of what the user has in hand and the unconnected state: the unplug trial).
        line.hangUp();
        QTRY_VERIFY(!form.isConnected());
        QVERIFY(lostOnce(messages, "") && !control<QTimer>(form, "Timer1")->isActive());
        QCOMPARE(form.terminal().text(), form.module().NoAnswerText);
    }

    // The start on a line named on the command line (--port) is picking that line in the
    // chooser: for each way of naming it, the window ends as the chooser's pick leaves it (the
    // same port number, caption and states, the chooser closed). A line that does not open gives
    // the chooser's message and the unconnected state.
    void aStartOnALineNamedLikeTheChoosersPick()
    {
        HeldLine line;
        QVERIFY(line.ready);
        // How a start left the window: connected, the port number, Label8, whether the main
        // window and the chooser show, the messages.
        const auto start = [&line](const QString& entry, const QString& location) {
            tq::ui::MessageCapture messages;
            Form1 form;
            HeldLine::start(form, line.aliases.path(), entry, location);
            QStringList shown{QString::number(form.isConnected()), QString::number(form.module().PortNumber),
                              control<QLabel>(form, "Label8")->text(), QString::number(form.isVisible()),
                              QString::number(form.chooser()->isVisible())};
            for (const tq::ui::ShownMessage& m : messages.messages)
                shown << QString::fromLatin1(m.text);
            return shown.join(QLatin1Char('|'));
        };
        const QString slave = line.slave();
        for (const auto& [location, entry] : {std::pair{QStringLiteral("sim"), QStringLiteral("Controllore simulato")},
                                             {QStringLiteral("banco-prova"), QStringLiteral("banco-prova")},  // a link's name
                                             {slave, QStringLiteral("banco-prova")}}) {  // the device behind a link
            const QString picked = start(entry, {});
            QVERIFY2(QRegularExpression("^1\\|([1-9][0-9]*)\\|Connesso a Com\\.\\1 ,9600,N,8,1\\|1\\|0$").match(picked).hasMatch(),
                     qPrintable(picked));
            QCOMPARE(start({}, location), picked);
        }
        const QString absent = start({}, QStringLiteral("/dev/tq310-assente"));
        QVERIFY2(QRegularExpression("^0\\|0\\| Nessuna connessione \\|1\\|0\\| Impossibile aprire la porta Com\\.[0-9]+ : "
                                    "la porta non esiste $").match(absent).hasMatch(), qPrintable(absent));
    }

    // ---- The main window on tq310-sim ----

    // The controller's set-up copied into the working copy commits at once; an edited working
    // copy is written, read back and committed; a later write that is not committed is
    // forgotten by "z".
    void copyAndCommitThenWriteReadBackCommitAndReinitialise()
    {
        QTemporaryDir dir;
        const QString eeprom = dir.filePath(QStringLiteral("eeprom.bin"));  // none yet: the factory set-up
        Form1Rig tool(TQ310_SIM, {QStringLiteral("--eeprom"), eeprom});
        tq::Module1& m = tool.m();
        tq::ui::MessageCapture capture;

        m.FileParams[10] = 1;
        m.FileMenuTexts[0] = "VECCHIO";
        m.CurrentFileName = "vecchio.ini";
        QVERIFY(tool.readBack("ChipBuffer"));
        const tq::sim::ParamImage factory = tq::sim::factorySetup();
        QVERIFY(std::equal(factory.record.begin(), factory.record.end(), m.FileParams.begin()));
        QCOMPARE(m.FileMenuTexts[0], factory.texts.substr(0, 10));
        QVERIFY(m.CurrentFileName.empty() && !control<QAction>(tool.form, "ParUsb")->isEnabled());
        use(tool.form, "Weeprom");
        // Only "W" with the password makes the simulator write its EEPROM file.
        QTRY_COMPARE_WITH_TIMEOUT(fileBytes(eeprom), QByteArray::fromStdString(factory.bytes()), 5000);

        for (int i = 0; i < tq::kParamCount; ++i)
            m.FileParams[i] = static_cast<std::uint8_t>(i < 3 ? i % 2 : (i * 7 + 3) % 250);
        for (int k = 0; k < 12; ++k)
            m.FileMenuTexts[k] = "VOCE " + std::to_string(k + 10) + " \xE8 ";
        tool.form.ListInit();
        use(tool.form, "AlTq310");
        QVERIFY(tool.readBack("daltq310"));
        QCOMPARE(m.ChipParams, m.FileParams);
        QVERIFY(control<QAction>(tool.form, "ParUsb")->isEnabled());
        use(tool.form, "Weeprom");
        const QByteArray saved = QByteArray::fromStdString(
            std::string(m.FileParams.begin(), m.FileParams.begin() + 56) + tq::menuTextBlock(m.FileMenuTexts));
        QTRY_COMPARE_WITH_TIMEOUT(fileBytes(eeprom), saved, 5000);
        QVERIFY(capture.messages.empty());

        const tq::ParamRecord committed = m.FileParams;
        m.FileParams[5] ^= 0x40;
        tool.form.ListInit();
        use(tool.form, "AlTq310");
        QVERIFY(tool.readBack("daltq310"));
        QCOMPARE(m.ChipParams[5], m.FileParams[5]);
        use(tool.form, "RipIni");
        QVERIFY(tool.readBack("daltq310"));
        QCOMPARE(m.ChipParams, committed);
        QCOMPARE(m.ChipMenuTexts[0], std::string("VOCE 10 \xE8 "));
    }

    // "Produci" draws seven courses of the loaded knit; the input monitor follows the simulated
    // machine, which holds its reset input for 1.5 s after the first command, then counts a course
    // a second.
    void theDiagnosticsShowTheSimulatedMachine()
    {
        Form1Rig tool(TQ310_SIM);
        use(tool.form, "Command14");
        while (tool.m().RowCounter < 7)
            QVERIFY(tool.tickWhen(4));
        QVERIFY(!tool.waitForBytes(1, 200));  // after seven courses none is asked for
        const tq::sim::Knit knit = tq::sim::loadedKnit(tq::sim::factoryMemory());
        QVERIFY(!knit.courses.empty());
        const tq::InpOut& window = *tool.form.inpOut();
        QCOMPARE(window.Label1[2]->text(), QString());
        for (int course = 0; course < 7; ++course) {
            const std::uint32_t pattern =
                tq::sim::coursePattern(tq::sim::factorySetup(), knit.courses[course % knit.courses.size()]);
            std::array<std::uint8_t, 23> bytes{};
            for (int b = 0; b < 4; ++b)
                bytes[b] = static_cast<std::uint8_t>(pattern >> (8 * b));
            const std::string row = tq::courseMarks(bytes) + (course % 2 ? "<" : ">") + std::to_string(course);
            QCOMPARE(window.Label1[3 + course]->text(), QString::fromLatin1(row));
        }
        QVERIFY(window.Label1[3]->text().contains(QLatin1Char('*')));  // the knit is not blank
        tool.form.inpOut()->close();

        use(tool.form, "Command13");  // "lettura ingressi"
        const char* const expected[] = {"Mor.14(reset macchina)     = [ON ]", "Mor.14(reset macchina)     = [OFF]",
                                        "Mor.12(conteggio)          = [ON ]"};
        int seen = 0;
        const bool followed = QTest::qWaitFor([&] {
            tool.tick();
            if (tool.m().Engine.PhaseToggle() == 0 && tool.tickWhen(1))  // a poll, not a reply tick: its answer
                seen += tool.terminal().find(expected[seen]) != std::string::npos;
            return seen == 3;
        }, 10000);
        QVERIFY2(followed, followed ? "" : expected[seen]);  // the status it waited for in vain
    }

    // "Registro della linea" shows a read-back as it happens while the engineer goes on working
    // the tool, on tq310-sim's pseudo-terminal through the chooser and on its network line
    // (--listen) as --port starts it. On the first, a machine whose record's CRC is one bit off,
    // and "Salva registro" saves the trace with a heading that says when and where it was
    // recorded, and by what; on the second, the simulator stopped is one lost line, with the reason.
    void theLineTraceShowsARealReadBackOnEitherLine()
    {
        QTemporaryDir dir;
        const QString eeprom = dir.filePath(QStringLiteral("eeprom.bin"));
        tq::sim::ParamImage machine = tq::sim::factorySetup();
        machine.record[1] = 1;
        machine.sealCrc();
        machine.record[tq::kCrcHigh] ^= 0x01;  // the fault at the machine: a CRC one bit off
        machine.texts.replace(10, 10, "CARTELLA 9");
        QString error;
        QVERIFY(tq::sim::saveEepromFile(eeprom, machine, &error));
        const std::string crc = std::to_string(machine.record[tq::kCrcHigh]) + "-" + std::to_string(machine.record[tq::kCrcLow]);
        const QString saved = dir.filePath(QStringLiteral("registro della macchina.txt"));
        const QDateTime before = QDateTime::currentDateTime().addMSecs(-1000);
        for (const bool network : {false, true}) {
            tq::ui::MessageCapture messages;
            Form1Rig tool(TQ310_SIM, network ? QStringList{"--listen", "0"} : QStringList{"--eeprom", eeprom}, network);
            use(tool.form, "RegLinea");
            QVERIFY(tool.readBack("daltq310"));
            const QString label4 = QString::fromStdString((network ? "251-88" : crc) + " Chip ");
            QCOMPARE(control<QLabel>(tool.form, "Label4")->text(), label4);
            const QStringList rows = tool.traceRows();
            QCOMPARE(rows.size(), 4);
            QCOMPARE(rows[0], QStringLiteral("TX H lettura parametri"));
            const QString record = "RX record di 56 byte, CRC " + label4.section(' ', 0, 0) + (network ? " corretto" : " errato (calcolato ");
            QVERIFY2(network ? rows[1] == record : rows[1].startsWith(record), qPrintable(rows[1]));
            QCOMPARE(rows[2], QStringLiteral("TX J lettura voci del menu"));
            if (network) {
                const std::string url = tool.sim->slave().toStdString();
                QVERIFY(url.starts_with("tcp://127.0.0.1:"));
                tool.sim->process().terminate();
                QTRY_VERIFY(!tool.form.isConnected());
                QVERIFY(lostOnce(messages, " : " + url + " ha chiuso la connessione "));
                continue;
            }
            QVERIFY2(rows[3].contains(QStringLiteral("\"CARTELLA 9\"")), qPrintable(rows[3]));
            tool.form.lineTraceWindow()->askPath = [&](bool save) { return save ? saved : QString(); };
            tool.form.lineTraceWindow()->SaveButton->click();
            const QList<QByteArray> heading = fileBytes(saved).split('\n');
            QVERIFY2(heading[1].startsWith("# connessione: ")
                         && heading[1].endsWith(", porta Com.1 " + tool.entries[0].location.toLatin1() + "\r"),
                     heading[1].constData());
            const QDateTime connected = QDateTime::fromString(QString::fromLatin1(heading[1].mid(15, 19)),
                                                              QStringLiteral("dd/MM/yyyy HH:mm:ss"));
            QVERIFY2(connected >= before && connected <= QDateTime::currentDateTime(), heading[1].constData());
            QCOMPARE(heading[2], "# registrato da: " + QCoreApplication::applicationName().toLatin1() + "\r");
            QVERIFY(messages.messages.empty());
        }
    }

    // The cable pulled a hundred times at random moments of the device operations: the
    // simulator's "drop" hangs the line up as a pulled adapter does. After every pull the tool
    // must show exactly one message, be unconnected, and have kept the working copy, the file
    // name and the list as they were, without touching the open parameter file; then it connects
    // again through the same port alias and the controller answers. The moments come from a
    // seeded generator whose seed is printed (TQ310_UNPLUG_SEED repeats a run).
    void aHundredPullsLoseNothing()
    {
        const QByteArray fixed = qgetenv("TQ310_UNPLUG_SEED");
        const std::uint32_t seed = fixed.isEmpty() ? std::random_device{}() : fixed.toUInt();
        std::printf("unplug trial seed %u (TQ310_UNPLUG_SEED=%u repeats it)\n", seed, seed);
        std::mt19937 random(seed);
        const struct { const char* name; std::function<void(Form1&)> start; } operations[] = {
            {"read-back", [](Form1& f) { use(f, "daltq310"); }},
            {"write", [](Form1& f) { use(f, "AlTq310"); use(f, "daltq310"); }},  // and its read-back
            {"input polling", [](Form1& f) { use(f, "Command13"); }},
            {"output test", [](Form1& f) { use(f, "TetUscite"); f.form2()->Check1[2]->click(); }},
            {"memory stepping", [](Form1& f) { use(f, "Command23"); }},
            {"production simulation", [](Form1& f) { use(f, "Command14"); }},
        };

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("banco.ini"));
        tq::ui::MessageCapture messages;
        Form1Rig tool(TQ310_SIM);
        Form1& form = tool.form;
        // "Connetti" and the alias in the chooser, as the user connects, Timer1 running.
        const auto reconnect = [&] {
            use(form, "connetti");
            tool.choose(0);
            return form.isConnected();
        };
        // Connecting names the working copy "Dati di default"; the trial works on a file of its own.
        const auto openFile = [&] {
            tq::Module1& m = form.module();
            if (!QFile::exists(path)) {
                for (int i = 0; i < tq::kParamCount; ++i)
                    m.FileParams[i] = static_cast<std::uint8_t>(i == 3 ? 2 + tq::kOutputProtection : (i * 11 + 5) % 64);
                for (int k = 0; k < 12; ++k)
                    m.FileMenuTexts[k] = "VOCE " + std::to_string(k) + "    ";
                QVERIFY(writeFile(path, QByteArray::fromStdString(tq::paramFileContent(m))));
            }
            QCOMPARE(tq::readParamFile(m, path), std::nullopt);
            form.ListInit();
        };
        use(form, "disconnetti");  // the rig's Timer1 stands still
        QVERIFY(reconnect());
        openFile();
        const QString file = onDisk(path);

        int unplugs = 0, recovered = 0, lost = 0;
        for (int trial = 0; trial < 100; ++trial) {
            const auto& operation = operations[trial % std::size(operations)];
            const int moment = std::uniform_int_distribution<int>(0, 300)(random);
            operation.start(form);
            QTest::qWait(moment);

            control<QTimer>(form, "Timer1")->stop();
            const bool connectedAtThePull = form.isConnected();
            const QString before = tool.inHand();
            const std::size_t shown = messages.messages.size();
            tool.sim->process().write("drop\n");
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
            if (form.isConnected() || control<QTimer>(form, "Timer1")->isActive() || !control<QAction>(form, "connetti")->isEnabled()
                || control<QAction>(form, "disconnetti")->isEnabled() || control<QPushButton>(form, "Command17")->isEnabled()
                || control<QLabel>(form, "Label8")->text() != QStringLiteral(" Nessuna connessione "))
                faults << QStringLiteral("not in the unconnected state");
            if (tool.inHand() != before)
                faults << QStringLiteral("what the user had in hand changed");
            if (onDisk(path) != file)
                faults << QStringLiteral("the parameter file was touched");
            if (!faults.isEmpty()) {
                ++lost;
                qWarning("pull %d during %s after %d ms: %s", trial + 1, operation.name, moment,
                         qPrintable(faults.join(QStringLiteral("; "))));
            }

            // The user closes what was open over the main window, and plugs the adapter in again.
            if (form.form2() && form.form2()->isVisible())
                form.form2()->Command3->click();
            if (form.inpOut() && form.inpOut()->isVisible())
                form.inpOut()->close();
            tool.sim->process().write("none\n");
            if (tool.sim->waitForLine(QStringLiteral("Simulated TQ310 on ")).isEmpty() || !reconnect()) {
                qWarning("pull %d: no new connection", trial + 1);
                continue;
            }
            openFile();
            // "Menu +" gets the controller's display back: the item's line and its value line.
            control<QTimer>(form, "Timer1")->stop();
            use(form, "Command18");
            use(form, "Command17");
            const bool answers = QTest::qWaitFor([&] {
                form.Timer1_Timer();
                return form.terminal().text().find("\r\n   = ") != std::string::npos && form.terminal().text().ends_with("\r\n");
            }, 2000);
            control<QTimer>(form, "Timer1")->start();
            if (answers)
                ++recovered;
            else
                qWarning("pull %d: connected again, but the controller does not answer", trial + 1);
        }
        std::printf("%d unplugs, %d recovered, %d lost\n", unplugs, recovered, lost);
        QCOMPARE(lost, 0);
        QCOMPARE(recovered, 100);
    }

    // ---- The command lines ----

    // tq310-test's command line, and the installation check's start on --port (on Qt's offscreen
    // platform) against the simulated controller inside the tool, tq310-sim on a real
    // pseudo-terminal and on the network. Per case: tq310-sim's arguments (none: no simulator
    // runs), the tool's ("{slave}": the simulator's line), the exit status, what standard output
    // holds (a beginning unless it ends a line; empty: nothing at all), and what standard error
    // holds, Qt's own notes on the offscreen platform aside (a pattern when it starts with "^"; on a
    // usage error, exit status 2, the text between "tq310-test: " and the hint to --help).
    void theCommandLineOfTqTest()
    {
        const QString usage = QStringLiteral("Usage: "), version = QStringLiteral("tq310-test " PROJECT_VERSION "\n");
        const QString tryHelp = QStringLiteral("\nTry 'tq310-test --help' for the options.\n");
        const QString read = QStringLiteral("251-88 Chip \n");  // the factory record's CRC, as Label4 shows it
        const auto onPort = [](const char* location) {
            return QStringList{"-platform", "offscreen", "--port", location, "--quit-after-read"};
        };
        const struct { QStringList simulator, arguments; int exitCode; QString out, err; } cases[] = {
            {{}, {"--help"}, 0, usage, {}}, {{}, {"-h"}, 0, usage, {}},
            {{}, {"--version"}, 0, version, {}}, {{}, {"-v"}, 0, version, {}},
            {{}, {"-platform", "offscreen", "-reverse", "--version"}, 0, version, {}},  // Qt's options pass
            {{}, {"--bogus"}, 2, {}, "Unknown option 'bogus'."}, {{}, {"-x", "--help"}, 2, {}, "Unknown option 'x'."},
            {{}, {"parametri.ini"}, 2, {}, "unexpected argument 'parametri.ini'."},
            {{}, {"-style"}, 2, {}, "Missing value after '-style'."}, {{}, {"--port"}, 2, {}, "Missing value after '--port'."},
            {{}, {"--port="}, 2, {}, "--port needs a location."}, {{}, {"--quit-after-read"}, 2, {}, "--quit-after-read needs --port."},
            {{}, onPort("sim"), 0, read, {}}, {{"--alias", "banco"}, onPort("{slave}"), 0, read, {}},
            {{"--alias", "banco"}, onPort("banco"), 0, read, {}}, {{"--listen", "0"}, onPort("{slave}"), 0, read, {}},
            {{"--listen", "0", "--rfc2217", "--alias", "banco"}, onPort("banco"), 0, read, {}},
            {{}, onPort("rfc2217://127.0.0.1:1"), 1, {},
             "^ Impossibile aprire la porta Com\\.[0-9]+ : rfc2217://127\\.0\\.0\\.1:1 ha rifiutato la connessione \n$"},
            {{}, onPort("/dev/tq310-assente"), 1, {}, "^ Impossibile aprire la porta Com\\.[0-9]+ : la porta non esiste \n$"},
            {{"--fault", "silent"}, onPort("{slave}"), 3, {}, {}},
        };
        for (const auto& c : cases) {
            std::unique_ptr<SimulatorProcess> sim;
            QStringList arguments = c.arguments;
            if (!c.simulator.isEmpty()) {
                sim = std::make_unique<SimulatorProcess>(QStringLiteral(TQ310_SIM), c.simulator);
                arguments.replaceInStrings(QStringLiteral("{slave}"), sim->slave());
            }
            const ProgramRun result =
                runProgram(QStringLiteral(TQ310_TEST), arguments, sim ? sim->withAliases() : headless());
            const QString all = QString::fromLocal8Bit(result.out);
            const QString out = c.out.endsWith(QLatin1Char('\n')) || c.out.isEmpty() ? all : all.left(c.out.size());
            QString err = QString::fromLocal8Bit(result.err);
            err.remove(QRegularExpression(QStringLiteral("^(QStandardPaths|This plugin does not support)[^\n]*\n"),
                                          QRegularExpression::MultilineOption));
            if (c.err.startsWith(QLatin1Char('^')) && QRegularExpression(c.err).match(err).hasMatch())
                err = c.err;
            const QString expected = c.exitCode == 2 ? "tq310-test: " + c.err + tryHelp : c.err;
            QCOMPARE(arguments.join(' ') + QStringLiteral(": %1|").arg(result.status) + out + '|' + err,
                     arguments.join(' ') + QStringLiteral(": %1|").arg(c.exitCode) + c.out + '|' + expected);
        }
    }

    // A manual page that lost track of an option, or kept one that is gone, fails.
    void theManualPagesDocumentEveryOption()
    {
        for (const auto& [program, page] : {std::pair{TQ310_TEST, MANUAL_DIR "/tq310-test.1"}, {TQ310_SIM, MANUAL_DIR "/tq310-sim.1"}}) {
            const ProgramRun help = runProgram(QString::fromLocal8Bit(program), {QStringLiteral("--help")});
            QCOMPARE(help.status, 0);
            // "  -h, --help", "  --eeprom <file>"; "\-\-name" in roff.
            const QString text = QString::fromLocal8Bit(help.out);
            const QStringList listed = optionsIn(text, QStringLiteral("^  (?:-\\S+, )?--([a-z][a-z-]*)"));
            QVERIFY2(listed.contains(QStringLiteral("version")), help.out.constData());
            QCOMPARE(optionsIn(QString::fromUtf8(fileBytes(QString::fromLocal8Bit(page))),
                               QStringLiteral("\\\\-\\\\-([a-z](?:[a-z]|\\\\-)*)")),
                     listed);
        }
    }
};

QTEST_MAIN(AppPtyTest)
#include "pty_test.moc"
