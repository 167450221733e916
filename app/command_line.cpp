#include "app/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>

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
    parser.addOptions({help, version});
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
    return {};
}

}  // namespace tq
