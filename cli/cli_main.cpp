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

using namespace tq::cli;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tq310-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const ParseResult parsed = parseArguments(arguments);
    Output out(parsed.request && parsed.request->json, isatty(fileno(stderr)) != 0);
    if (!parsed.request) {
        out.error(parsed.error + QStringLiteral("\n") + usageText() + QStringLiteral("See tq310-cli --help."));
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
    case Command::Read: return runRead(request, out);
    case Command::Write: return runWrite(request, out);
    case Command::Usb: return runUsb(request, out);
    case Command::Inputs: return runInputs(request, out);
    case Command::None: break;
    }
    return UsageError;
}
