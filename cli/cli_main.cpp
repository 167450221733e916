// tq310-cli: the command-line twin of tq310-test's device and file jobs.
#include <QCoreApplication>

#include <cstdio>
#ifdef Q_OS_WIN
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "cli/arguments.h"
#include "cli/exit_status.h"
#include "cli/jobs.h"
#include "cli/output.h"
#include "cli/runner.h"
#include "files/system_file.h"

using namespace tq::cli;

namespace {

// The arguments as the system gave them: on POSIX a file name is bytes that need not be UTF-8
// (files/system_file.h), and Qt's own list would have lost them.
QStringList systemArguments(int argc, char* argv[])
{
#if defined(Q_OS_UNIX)
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << tq::pathFromSystem(QByteArray(argv[i]));
    return arguments;
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return arguments;
#endif
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tq310-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));

    const ParseResult parsed = parseArguments(systemArguments(argc, argv));
    Output out(parsed.request ? parsed.request->json : parsed.json, isatty(fileno(stderr)) != 0);
    if (!parsed.request) {
        out.error(parsed.error + QStringLiteral("\n") + usageText() + QStringLiteral("See tq310-cli --help."));
        out.object(parsed.subject, UsageError, parsed.error);
        return UsageError;
    }
    const Request& request = *parsed.request;
    if (request.help) {
        std::fputs(helpText(request.command).toLocal8Bit().constData(), stdout);
        return Success;
    }
    if (request.version) {
        std::printf("tq310-cli %s\n", PROJECT_VERSION);
        return Success;
    }
    switch (request.command) {
    case Command::Ports: return runPorts(request, out);
    case Command::Usb: return runUsb(request, out);
    case Command::Read:
    case Command::Write:
    case Command::Inputs: return runOnPorts(request, out);
    case Command::None:
    case Command::Help: break;
    }
    return UsageError;
}
