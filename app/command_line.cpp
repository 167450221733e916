#include "app/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include "link/port_aliases.h"

namespace tq {

namespace {

const char* const kDescription =
    "The service and configuration tool for the TQ310 knitting-machine controller.\n"
    "Without options it opens the port chooser \"CONNESSIONE      (porte disponibili)\".\n"
    "Qt's own options (-platform, -style, -reverse, ...) are passed on to Qt.";

// Qt's options that QApplication takes out of the command line itself. They are known here
// only so that they are not refused; they stay out of the help.
const char* const kQtOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon",
    "qwindowtitle", "session", "display", "geometry", "style", "stylesheet", "qmljsdebugger",
};
const char* const kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

CommandLine finish(int exitCode, const QString& out, const QString& err = {})
{
    CommandLine result;
    result.finished = true;
    result.exitCode = exitCode;
    result.out = out;
    result.err = err;
    return result;
}

CommandLine refuse(const QString& why)
{
    const QString name = QCoreApplication::applicationName();
    return finish(2, {}, QStringLiteral("%1: %2\nTry '%1 --help' for the options.\n").arg(name, why));
}

}  // namespace

CommandLine readCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    // "-platform offscreen" is one option with its value, as Qt reads it, not seven letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QString::fromLatin1(kDescription));

    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Print these options and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Print the version and exit."));
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("Connect to <location> at start instead of opening the port chooser: a "
                       "device path (/dev/ttyUSB0, COM3), the name of a link in the folder of "
                       "port aliases (%1), a network line (tcp://HOST:PORT, or "
                       "rfc2217://HOST:PORT for Telnet with the COM-PORT-OPTION), or \"sim\" "
                       "for the simulated controller. A port that "
                       "does not open is reported as in the chooser, and the tool works "
                       "unconnected.")
            .arg(portAliasFolder()),
        QStringLiteral("location"));
    const QCommandLineOption quitAfterRead(
        QStringLiteral("quit-after-read"),
        QStringLiteral("Test hook for installation checks, with --port: read the controller's "
                       "parameters and menu texts as \"Carica parametri  dal TQ310\" does, print "
                       "the device CRC as the window shows it and exit 0. Message boxes go to standard "
                       "error instead; "
                       "exit 1 when the port does not open, 3 when the controller has not "
                       "answered within 10 seconds."));
    parser.addOptions({help, version, port, quitAfterRead});
    for (const char* name : kQtOptionsWithValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : kQtFlags) {
        QCommandLineOption option(QString::fromLatin1(name), QString());
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(help))
        return finish(0, parser.helpText());
    if (parser.isSet(version))
        return finish(0, QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                        QCoreApplication::applicationVersion()));
    if (!parser.positionalArguments().isEmpty())
        return refuse(QStringLiteral("unexpected argument '%1'.").arg(parser.positionalArguments().first()));
    if (parser.isSet(port) && parser.value(port).isEmpty())
        return refuse(QStringLiteral("--port needs a location."));
    if (parser.isSet(quitAfterRead) && !parser.isSet(port))
        return refuse(QStringLiteral("--quit-after-read needs --port."));

    CommandLine result;
    result.port = parser.value(port);
    result.quitAfterRead = parser.isSet(quitAfterRead);
    return result;
}

}  // namespace tq
