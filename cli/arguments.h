#pragma once
// tq310-cli's command line: a command (ports, read, write, usb, inputs, help), its options and
// its files. Options may stand before or after the command; "--opt value" and "--opt=value" are
// the same; "--" ends the options. Anything the command does not take is a usage error.

#include <QString>
#include <QStringList>

#include <optional>

#include "cli/output.h"

namespace tq::cli {

enum class Command { None, Ports, Read, Write, Usb, Inputs, Help };

struct Request {
    Command command = Command::None;
    bool help = false;      // --help (or "help [command]"): print the help of the command and stop
    bool version = false;
    bool json = false;
    QStringList ports;      // every --port LOCATION, in order
    QString portsFrom;      // --ports-from FILE: more locations, one a line
    QStringList files;      // FILE.ini, and OUT.bin for usb
    bool commit = false;    // write --commit
    bool backup = true;     // read and write keep the controller's set-up; --no-backup: not
    int count = 1;          // inputs --count N
};

struct ParseResult {
    std::optional<Request> request;
    QString error;          // set when request is empty: what is wrong, for stderr
    // For the report of an error: the command, --port and the first file as far as they were
    // read, and whether --json was among the arguments.
    Subject subject;
    bool json = false;
};

// The arguments without the program's name.
ParseResult parseArguments(const QStringList& arguments);

// The text of --help: the program's when command is None, otherwise the command's.
QString helpText(Command command);

// The program's short usage, printed under a usage error.
QString usageText();

}  // namespace tq::cli
