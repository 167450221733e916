#pragma once
// What tq310-test is asked to do by its command line. It is read before any window system is
// touched, so that --help, --version and a wrong option work on a machine without a display.
// Qt's own options (-platform, -style, ...) are accepted here and left for QApplication.

#include <QString>
#include <QStringList>

namespace tq {

struct CommandLine {
    // Set when the program ends here: what to print on standard output and standard error, and
    // the exit status (0 for --help and --version, 2 for a wrong command line).
    bool finished = false;
    int exitCode = 0;
    QString out;
    QString err;

    // Without --port the port chooser opens at start.
    QString port;
    bool quitAfterRead = false;
};

// arguments[0] is the program. Needs the application name and version set beforehand.
CommandLine readCommandLine(const QStringList& arguments);

}  // namespace tq
