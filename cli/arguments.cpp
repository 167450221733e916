#include "cli/arguments.h"

#include <array>
#include <vector>

namespace tq::cli {

namespace {

enum Option : unsigned { PortOption = 1, CommitOption = 2, CountOption = 4, BackupOption = 8 };

struct CommandSpec {
    Command command;
    const char* name;
    unsigned options;      // what it takes besides --json and --help
    int files;             // how many file arguments
    const char* synopsis;
    const char* description;
};

const std::array<CommandSpec, 6> kCommands = {{
    {Command::Ports, "ports", 0, 0, "ports",
     "Lists the serial lines the tool's port chooser offers, one a line: the port number, the\n"
     "entry's name, the LOCATION to pass to --port, and the system path or adapter description.\n"
     "The last one is always the simulated controller, whose LOCATION is \"sim\"."},
    {Command::Read, "read", PortOption | BackupOption, 1, "read --port LOCATION FILE.ini [--no-backup]",
     "Reads the controller's 54 parameters and 12 menu texts (\"H\", then \"J\") and saves them in\n"
     "FILE.ini, byte for byte the file that \"Trasferisci parametri da  TQ310 al buffer\" followed\n"
     "by \"salva con nome\" writes. Prints the device CRC and whether it matches the parameters.\n"
     "Like every read-back of the window it keeps what it read in the backups folder; a backup\n"
     "that cannot be kept is reported and leaves the read as it is. On several ports each port's\n"
     "file is FILE-NAME.ini, NAME the port's LOCATION without a leading /dev/ and with every run\n"
     "of characters other than letters, digits, '.', '-' and '_' made one '_' (/dev/ttyUSB0 gives\n"
     "FILE-ttyUSB0.ini, tcp://10.0.0.7:4001 gives FILE-tcp_10.0.0.7_4001.ini)."},
    {Command::Write, "write", PortOption | CommitOption | BackupOption, 1,
     "write --port LOCATION FILE.ini [--commit] [--no-backup]",
     "Opens FILE.ini as \"apri file\" does (same refusals, same messages). Then it reads what the\n"
     "controller holds (\"H\", \"J\") and keeps it in the backups folder, as the window keeps every\n"
     "read-back: a backup that cannot be kept stops the command before it writes anything\n"
     "(status 3; when the folder cannot be made, before it sends anything). Then it writes the\n"
     "file into the controller as \"Trafferisci parametri nel TQ310\" does (\"L\", the 56-byte\n"
     "record with the file's CRC, the 120 bytes of menu texts), reads it back (\"H\", \"J\") and\n"
     "makes the two comparisons of \"Salva parametri  nella EEPROM\": the whole record, then the\n"
     "21 menu-text slots. With --commit, and only when both agree, it sends \"W\" and the\n"
     "password: the controller stores the values in its EEPROM. Otherwise it says which\n"
     "comparison failed and sends nothing more. A menu text of fewer than 10 characters in the\n"
     "file always makes the texts differ (the controller pads it with blanks)."},
    {Command::Usb, "usb", 0, 2, "usb FILE.ini OUT.bin",
     "Compiles the USB configuration file (366 bytes, the controller loads it from tq310/\n"
     "contq310.bin on a USB key) for the parameters of FILE.ini into OUT.bin, byte for byte what\n"
     "the USB compiler window writes. No controller is needed."},
    {Command::Inputs, "inputs", PortOption | CountOption, 0, "inputs --port LOCATION [--count N]",
     "Polls the controller's inputs as \"lettura ingressi\" does (\"K\" every 120 ms) and prints the\n"
     "input status N times (1 when not given), each time as the input monitor shows it."},
    {Command::Help, "help", 0, 0, "help [COMMAND]",
     "Prints the help of COMMAND (ports, read, write, usb, inputs, help), or the program's help\n"
     "without one. \"tq310-cli COMMAND --help\" prints the same."},
}};

const CommandSpec* findCommand(const QString& name)
{
    for (const CommandSpec& spec : kCommands)
        if (name == QLatin1String(spec.name))
            return &spec;
    return nullptr;
}

const CommandSpec* findCommand(Command command)
{
    for (const CommandSpec& spec : kCommands)
        if (spec.command == command)
            return &spec;
    return nullptr;
}

QString optionsOf(unsigned options)
{
    QString text;
    if (options & PortOption)
        text += QStringLiteral(
            "  --port LOCATION  the line to the controller: a device path (/dev/ttyUSB0) or the\n"
            "                   system's name for it (ttyUSB0, COM3), the name of a link in the folder\n"
            "                   of port aliases, a network line (tcp://HOST:PORT, or rfc2217://HOST:PORT\n"
            "                   for Telnet with the COM-PORT-OPTION), or \"sim\" for the simulated\n"
            "                   controller inside this program (a factory controller at every run).\n"
            "                   Given more than once, the command runs on every port at once\n"
            "  --ports-from FILE  more LOCATIONs, one a line (blank lines and lines that start with\n"
            "                   # left out); the command runs on every port at once\n");
    if (options & CommitOption)
        text += QStringLiteral("  --commit         store the values in the controller's EEPROM when the read-back agrees\n");
    if (options & CountOption)
        text += QStringLiteral("  --count N        print N readings of the input status (1 to 100000; 1 when not given)\n");
    if (options & BackupOption)
        text += QStringLiteral(
            "  --no-backup      keep no copy of the controller's set-up in the backups folder\n"
            "                   ($TQ310_BACKUPS, or ~/.local/share/tq310-test/backups)\n");
    text += QStringLiteral(
        "  --json           print the result as one JSON object a line (texts in UTF-8)\n"
        "  --help           print this help\n");
    return text;
}

constexpr int kMaxCount = 100000;

}  // namespace

QString usageText()
{
    QString text = QStringLiteral("Usage:\n");
    for (const CommandSpec& spec : kCommands)
        text += QStringLiteral("  tq310-cli %1\n").arg(QLatin1String(spec.synopsis));
    return text;
}

QString helpText(Command command)
{
    if (command == Command::Help) {
        const CommandSpec* spec = findCommand(command);
        return QStringLiteral("Usage: tq310-cli %1\n\n%2\n").arg(QLatin1String(spec->synopsis), QLatin1String(spec->description));
    }
    if (const CommandSpec* spec = findCommand(command)) {
        return QStringLiteral("Usage: tq310-cli %1 [--json]\n\n%2\n\nOptions:\n%3")
            .arg(QLatin1String(spec->synopsis), QString::fromUtf8(spec->description), optionsOf(spec->options));
    }
    return QStringLiteral(
               "tq310-cli: the command-line twin of tq310-test's device and file jobs, for scripts that set\n"
               "up TQ310 controllers. It sends the same bytes at the same intervals as the main window.\n\n")
        + usageText()
        + QStringLiteral(
              "\nEvery command takes --json (one JSON object a line on standard output) and --help.\n"
              "Progress goes to standard error when that is a terminal; results go to standard output.\n"
              "The window waits for ever for an answer; tq310-cli gives up after 10 ticks of the\n"
              "receive timer without progress: 2 s for each answer of a read-back (200 ms ticks),\n"
              "0.6 s for the input status (60 ms ticks).\n\n"
              "Exit status:\n"
              "  0  done\n"
              "  2  usage: unknown command or option, missing or extra argument\n"
              "  3  file refused: a parameter file that \"apri file\" refuses, an output file that\n"
              "     cannot be written, (write) a backup that cannot be kept, or a --ports-from file\n"
              "     that cannot be read\n"
              "  4  no answer: the controller did not complete an answer in time\n"
              "  5  line: the port could not be opened, or the line was lost\n"
              "  6  commit refused: the read-back differs from the file (write; with --commit\n"
              "     nothing was committed)\n\n"
              "Many ports at once: read, write and inputs given --port more than once, or --ports-from,\n"
              "run on every port at the same time, each in a session of its own with the bytes and\n"
              "intervals of a run on that port alone; a port that fails stops nothing else. As each\n"
              "port finishes, a line \"LOCATION: message\" (the message's lines joined by \"; \"); then\n"
              "a table of port, result, CRC and seconds, and the count of each result. With --json,\n"
              "each port's objects as a run on it alone prints them, then one object with \"ports\": a\n"
              "row of port, status, result, crc and seconds for each. Errors go to standard error as\n"
              "ever, progress nowhere. write --commit commits on each controller whose read-back\n"
              "agrees, and on no other. The exit status is the highest of the ports'.\n");
}

ParseResult parseArguments(const QStringList& arguments)
{
    Request request;
    QStringList positional;
    Subject subject;
    const auto failure = [&subject, &arguments](const QString& text) {
        return ParseResult{std::nullopt, text, subject, arguments.contains(QLatin1String("--json"))};
    };

    // First pass: options and positional arguments, the value of an option taken as written.
    struct Valued { QString name; QString value; };
    std::vector<Valued> valued;
    QStringList flags;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (optionsEnded || !a.startsWith(QLatin1Char('-')) || a == QLatin1String("-")) {
            positional << a;
            continue;
        }
        if (a == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        const qsizetype eq = a.indexOf(QLatin1Char('='));
        const QString name = eq < 0 ? a : a.left(eq);
        if (name == QLatin1String("--port") || name == QLatin1String("--ports-from") || name == QLatin1String("--count")) {
            if (eq >= 0)
                valued.push_back({name, a.mid(eq + 1)});
            else if (i + 1 < arguments.size())
                valued.push_back({name, arguments[++i]});
            else
                return failure(QStringLiteral("%1 needs a value").arg(name));
            if (name == QLatin1String("--port"))
                subject.port = valued.back().value;
            continue;
        }
        if (eq >= 0)
            return failure(QStringLiteral("%1 takes no value").arg(name));
        flags << (a == QLatin1String("-h") ? QStringLiteral("--help") : a);
    }

    // The command: the first positional argument; "help" names the command whose help to print.
    const CommandSpec* spec = nullptr;
    if (!positional.isEmpty()) {
        const QString name = positional.takeFirst();
        subject.command = name;
        subject.file = positional.value(0);
        if (name == QLatin1String("help")) {
            request.help = true;
            if (!positional.isEmpty()) {
                const QString topic = positional.takeFirst();
                if (!(spec = findCommand(topic)))
                    return failure(QStringLiteral("help: unknown command \"%1\"").arg(topic));
            }
            if (!positional.isEmpty())
                return failure(QStringLiteral("help takes at most one command"));
        } else if (!(spec = findCommand(name))) {
            return failure(QStringLiteral("unknown command \"%1\"").arg(name));
        }
    }
    if (spec)
        request.command = spec->command;
    const unsigned options = spec ? spec->options : 0;
    const QString where = spec ? QLatin1String(spec->name) + QStringLiteral(": ") : QString();

    for (const QString& flag : flags) {
        if (flag == QLatin1String("--help"))
            request.help = true;
        else if (flag == QLatin1String("--json"))
            request.json = true;
        else if (flag == QLatin1String("--version") && !spec)
            request.version = true;
        else if (flag == QLatin1String("--commit") && (options & CommitOption))
            request.commit = true;
        else if (flag == QLatin1String("--no-backup") && (options & BackupOption))
            request.backup = false;
        else
            return failure(where + QStringLiteral("unknown option %1").arg(flag));
    }
    for (const Valued& v : valued) {
        if (v.name == QLatin1String("--port") && (options & PortOption)) {
            if (v.value.isEmpty())
                return failure(where + QStringLiteral("--port needs a LOCATION"));
            request.ports << v.value;
        } else if (v.name == QLatin1String("--ports-from") && (options & PortOption)) {
            if (v.value.isEmpty())
                return failure(where + QStringLiteral("--ports-from needs a FILE"));
            request.portsFrom = v.value;
        } else if (v.name == QLatin1String("--count") && (options & CountOption)) {
            bool number = false;
            request.count = v.value.toInt(&number);
            if (!number || request.count < 1 || request.count > kMaxCount)
                return failure(where + QStringLiteral("--count takes a number from 1 to %1, not \"%2\"")
                                           .arg(kMaxCount).arg(v.value));
        } else {
            return failure(where + QStringLiteral("unknown option %1").arg(v.name));
        }
    }
    if (request.help || request.version)
        return ParseResult{request, {}};
    if (!spec)
        return failure(QStringLiteral("no command given"));

    if ((options & PortOption) && request.ports.isEmpty() && request.portsFrom.isEmpty())
        return failure(where + QStringLiteral("--port LOCATION is missing"));
    if (positional.size() != spec->files) {
        const QString wanted = spec->files == 0 ? QStringLiteral("no file")
            : spec->files == 1                  ? QStringLiteral("one file, FILE.ini")
                                                : QStringLiteral("two files, FILE.ini and OUT.bin");
        return failure(where + QStringLiteral("takes %1; given: %2")
                                   .arg(wanted, positional.isEmpty() ? QStringLiteral("none") : positional.join(QLatin1Char(' '))));
    }
    request.files = positional;
    return ParseResult{request, {}};
}

}  // namespace tq::cli
