// The programs' command lines, run as the user runs them: as processes, with no display at all.
// A program that touched the window system before reading its options would abort here instead
// of answering --help; a start on --port is the installation check's, on Qt's offscreen
// platform, against the simulated controller inside the tool and tq310-sim on a real
// pseudo-terminal; a manual page that lost track of an option, or kept one that is gone, fails
// the last table.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <memory>

#include "support/simulator_process.h"

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

// The program started without any window system: no X display, no Wayland, no Qt platform.
Run run(const QString& program, const QStringList& arguments, const QString& aliasFolder = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    if (!aliasFolder.isEmpty())
        env.insert(QStringLiteral("TQ310_PORT_ALIASES"), aliasFolder);
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

// The long options that a program's --help lists ("  -h, --help", "  --eeprom <file>").
QStringList listedOptions(const QString& help)
{
    static const QRegularExpression line(QStringLiteral("^  (?:-\\S+, )?--([a-z][a-z-]*)"),
                                         QRegularExpression::MultilineOption);
    QStringList names;
    for (auto it = line.globalMatch(help); it.hasNext();)
        names << it.next().captured(1);
    return names;
}

// The long options a manual page documents: "\-\-name" in roff, each "-" written "\-".
QStringList documentedOptions(const QString& page)
{
    static const QRegularExpression option(QStringLiteral("\\\\-\\\\-([a-z](?:[a-z]|\\\\-)*)"));
    QStringList names;
    for (auto it = option.globalMatch(page); it.hasNext();) {
        const QString name = it.next().captured(1).replace(QStringLiteral("\\-"), QStringLiteral("-"));
        if (!names.contains(name))
            names << name;
    }
    return names;
}

}  // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void options_data();
    void options();
    void startOnPort_data();
    void startOnPort();
    void manualPages_data();
    void manualPages();
};

void CommandLineTest::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");  // what standard output holds; empty: nothing at all
    QTest::addColumn<QString>("err");  // what standard error holds; empty: nothing at all

    const QString usage = QStringLiteral("Usage: ");
    const QString version = QStringLiteral("tq310-test " PROJECT_VERSION "\n");
    const QString tryHelp = QStringLiteral("\nTry 'tq310-test --help' for the options.\n");
    QTest::newRow("--help") << QStringList{"--help"} << 0 << usage << QString();
    QTest::newRow("-h") << QStringList{"-h"} << 0 << usage << QString();
    QTest::newRow("--version") << QStringList{"--version"} << 0 << version << QString();
    QTest::newRow("-v") << QStringList{"-v"} << 0 << version << QString();
    QTest::newRow("Qt's options pass") << QStringList{"-platform", "offscreen", "-reverse", "--version"} << 0
                                       << version << QString();
    QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << QString()
                                    << "tq310-test: Unknown option 'bogus'." + tryHelp;
    QTest::newRow("unknown short option") << QStringList{"-x", "--help"} << 2 << QString()
                                          << "tq310-test: Unknown option 'x'." + tryHelp;
    QTest::newRow("argument") << QStringList{"parametri.ini"} << 2 << QString()
                              << "tq310-test: unexpected argument 'parametri.ini'." + tryHelp;
    QTest::newRow("Qt option without its value") << QStringList{"-style"} << 2 << QString()
                                                 << "tq310-test: Missing value after '-style'." + tryHelp;
    QTest::newRow("--port without its value") << QStringList{"--port"} << 2 << QString()
                                              << "tq310-test: Missing value after '--port'." + tryHelp;
    QTest::newRow("--port empty") << QStringList{"--port="} << 2 << QString()
                                  << "tq310-test: --port needs a location." + tryHelp;
    QTest::newRow("--quit-after-read alone") << QStringList{"--quit-after-read"} << 2 << QString()
                                             << "tq310-test: --quit-after-read needs --port." + tryHelp;
}

void CommandLineTest::startOnPort_data()
{
    QTest::addColumn<QStringList>("simulator");  // tq310-sim's arguments; empty: none runs
    QTest::addColumn<QString>("location");       // "{slave}": the simulator's pseudo-terminal
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");            // a pattern; empty: nothing at all

    // The factory record's CRC, as Label4 shows it after a read-back.
    const QString read = QStringLiteral("251-88 Chip \n");
    QTest::newRow("the simulated controller inside the tool") << QStringList() << "sim" << 0 << read << QString();
    QTest::newRow("tq310-sim by its device path") << QStringList{"--alias", "banco"} << "{slave}" << 0 << read
                                                  << QString();
    QTest::newRow("tq310-sim by its link's name") << QStringList{"--alias", "banco"} << "banco" << 0 << read
                                                  << QString();
    QTest::newRow("tq310-sim on the network") << QStringList{"--listen", "0"} << "{slave}" << 0 << read << QString();
    QTest::newRow("tq310-sim over RFC 2217 by its link's name")
        << QStringList{"--listen", "0", "--rfc2217", "--alias", "banco"} << "banco" << 0 << read << QString();
    QTest::newRow("a network line refused") << QStringList() << "rfc2217://127.0.0.1:1" << 1 << QString()
        << QStringLiteral("^ Impossibile aprire la porta Com\\.[0-9]+ : rfc2217://127\\.0\\.0\\.1:1 ha rifiutato la connessione \n$");
    QTest::newRow("a device that is not there") << QStringList() << "/dev/tq310-assente" << 1 << QString()
        << QStringLiteral("^ Impossibile aprire la porta Com\\.[0-9]+ : la porta non esiste \n$");
    QTest::newRow("a silent controller") << QStringList{"--fault", "silent"} << "{slave}" << 3 << QString()
                                         << QString();
}

void CommandLineTest::startOnPort()
{
    QFETCH(QStringList, simulator);
    QFETCH(QString, location);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    std::unique_ptr<tq::test::SimulatorProcess> sim;
    if (!simulator.isEmpty()) {
        sim = std::make_unique<tq::test::SimulatorProcess>(QStringLiteral(TQ310_SIM), simulator);
        QVERIFY(!sim->slave().isEmpty());
        location.replace(QStringLiteral("{slave}"), sim->slave());
    }
    const Run result = run(QStringLiteral(TQ310_TEST),
                           {"-platform", "offscreen", "--port", location, "--quit-after-read"},
                           sim ? sim->aliasFolder() : QString());
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(QRegularExpression(QLatin1Char('^') + out + QLatin1Char('$')).match(result.out).hasMatch(),
             qPrintable(result.out));
    // Qt's own notes on the offscreen platform aside, only the tool's messages.
    QString messages = result.err;
    messages.remove(QRegularExpression(QStringLiteral("^(QStandardPaths|This plugin does not support)[^\n]*\n"),
                                       QRegularExpression::MultilineOption));
    QVERIFY2(QRegularExpression(err.isEmpty() ? QStringLiteral("^$") : err).match(messages).hasMatch(),
             qPrintable(messages));
}

void CommandLineTest::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    const Run result = run(QStringLiteral(TQ310_TEST), arguments);
    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(result.err, err);
    if (out.isEmpty())
        QCOMPARE(result.out, QString());
    else if (out.endsWith(QLatin1Char('\n')))
        QCOMPARE(result.out, out);
    else
        QVERIFY2(result.out.startsWith(out), qPrintable(result.out));
}

void CommandLineTest::manualPages_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("page");
    QTest::newRow("tq310-test") << QStringLiteral(TQ310_TEST) << QStringLiteral(MANUAL_DIR "/tq310-test.1");
    QTest::newRow("tq310-sim") << QStringLiteral(TQ310_SIM) << QStringLiteral(MANUAL_DIR "/tq310-sim.1");
}

void CommandLineTest::manualPages()
{
    QFETCH(QString, program);
    QFETCH(QString, page);

    const Run help = run(program, {QStringLiteral("--help")});
    QCOMPARE(help.exitCode, 0);
    QStringList listed = listedOptions(help.out);
    QVERIFY2(listed.contains(QStringLiteral("version")), qPrintable(help.out));

    QFile file(page);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(page));
    QStringList documented = documentedOptions(QString::fromUtf8(file.readAll()));
    listed.sort();
    documented.sort();
    QCOMPARE(documented, listed);
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "command_line_test.moc"
