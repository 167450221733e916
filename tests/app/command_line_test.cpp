// The programs' command lines, run as the user runs them: as processes, with no display at all.
// A program that touched the window system before reading its options would abort here instead
// of answering --help; a manual page that lost track of an option, or kept one that is gone,
// fails the second table.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

// The program started without any window system: no X display, no Wayland, no Qt platform.
Run run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit)
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
