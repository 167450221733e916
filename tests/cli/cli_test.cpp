// tq310-cli's command line: a script that gets an option wrong must be told so (status 2) rather
// than have the command run with something it did not ask for, and every command's own options
// must reach it wherever they stand. And the pause after a frame: too short, and the next
// command would overtake the frame on a slow line.
#include <gtest/gtest.h>

#include "cli/arguments.h"
#include "cli/device_session.h"
#include "cli/runner.h"

namespace tq::cli {
namespace {

QStringList split(const char* line)
{
    return QString::fromUtf8(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// A request as one line, so that a table can hold the expectation.
std::string shown(const Request& r)
{
    const char* names[] = {"none", "ports", "read", "write", "usb", "inputs", "help"};
    std::string s = std::string(names[static_cast<int>(r.command)]) + (r.help ? " help" : "") + (r.version ? " version" : "")
        + (r.json ? " json" : "");
    for (const QString& p : r.ports)
        s += " port=" + p.toStdString();
    if (!r.portsFrom.isEmpty())
        s += " ports-from=" + r.portsFrom.toStdString();
    s += std::string(r.commit ? " commit" : "") + (r.backup ? "" : " no-backup");
    if (r.command == Command::Inputs)
        s += " count=" + std::to_string(r.count);
    for (const QString& f : r.files)
        s += " [" + f.toStdString() + "]";
    return s;
}

TEST(CliArguments, EveryCommandTakesItsOptionsBeforeOrAfterItAndInEitherSpelling)
{
    const struct { const char* line; const char* request; } cases[] = {
        {"ports", "ports"}, {"--json ports", "ports json"},
        {"read --port /dev/ttyUSB0 a.ini", "read port=/dev/ttyUSB0 [a.ini]"},
        {"read a.ini --port=banco", "read port=banco [a.ini]"},
        {"--port sim read a.ini --json", "read json port=sim [a.ini]"},
        {"write --port sim a.ini --commit", "write port=sim commit [a.ini]"},
        {"--no-backup write --port sim a.ini", "write port=sim no-backup [a.ini]"},
        {"read --port sim a.ini --no-backup", "read port=sim no-backup [a.ini]"},
        {"write --port sim a.ini", "write port=sim [a.ini]"},
        {"write --port a --ports-from=l.txt --port b a.ini", "write port=a port=b ports-from=l.txt [a.ini]"},
        {"inputs --ports-from l.txt", "inputs ports-from=l.txt count=1"},
        {"write --port sim -- --commit", "write port=sim [--commit]"},  // after "--" a file name
        {"usb a.ini out.bin", "usb [a.ini] [out.bin]"},
        {"usb - out.bin", "usb [-] [out.bin]"},
        {"inputs --port sim", "inputs port=sim count=1"},
        {"inputs --count 25 --port sim", "inputs port=sim count=25"},
        {"inputs --port sim --count=100000", "inputs port=sim count=100000"},
        {"--help", "none help"}, {"-h", "none help"}, {"help", "none help"}, {"help write", "write help"},
        {"help help", "help help"}, {"write --help", "write help"}, {"--version", "none version"},
        {"write --help --port sim", "write help port=sim"},  // help wins over missing files
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const ParseResult parsed = parseArguments(split(c.line));
        ASSERT_TRUE(parsed.request) << parsed.error.toStdString();
        EXPECT_EQ(shown(*parsed.request), c.request);
    }
}

TEST(CliArguments, AnythingACommandDoesNotTakeIsRefusedWithTheReason)
{
    const struct { const char* line; const char* error; } cases[] = {
        {"", "no command given"}, {"--json", "no command given"},
        {"lettura", "unknown command \"lettura\""},
        {"help lettura", "help: unknown command \"lettura\""},
        {"help read write", "help takes at most one command"},
        {"read a.ini", "read: --port LOCATION is missing"},
        {"read --port", "--port needs a value"},
        {"read --port= a.ini", "read: --port needs a LOCATION"},
        {"read --ports-from= a.ini", "read: --ports-from needs a FILE"},
        {"usb --ports-from l.txt a.ini b.bin", "usb: unknown option --ports-from"},
        {"read --port sim", "read: takes one file, FILE.ini; given: none"},
        {"read --port sim a.ini b.ini", "read: takes one file, FILE.ini; given: a.ini b.ini"},
        {"read --port sim a.ini --commit", "read: unknown option --commit"},
        {"read --port sim a.ini --count 2", "read: unknown option --count"},
        {"usb a.ini", "usb: takes two files, FILE.ini and OUT.bin; given: a.ini"},
        {"usb --port sim a.ini b.bin", "usb: unknown option --port"},
        {"inputs --port sim --no-backup", "inputs: unknown option --no-backup"},
        {"ports extra", "ports: takes no file; given: extra"},
        {"ports --version", "ports: unknown option --version"},
        {"write --port sim a.ini --commit=yes", "--commit takes no value"},
        {"write --port sim a.ini --force", "write: unknown option --force"},
        {"inputs --port sim --count 0", "inputs: --count takes a number from 1 to 100000, not \"0\""},
        {"inputs --port sim --count 100001", "inputs: --count takes a number from 1 to 100000, not \"100001\""},
        {"inputs --port sim --count tre", "inputs: --count takes a number from 1 to 100000, not \"tre\""},
        {"inputs --port sim --count -3", "inputs: --count takes a number from 1 to 100000, not \"-3\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const ParseResult parsed = parseArguments(split(c.line));
        EXPECT_FALSE(parsed.request) << shown(*parsed.request);
        EXPECT_EQ(parsed.error.toStdString(), c.error);
    }
}

TEST(CliArguments, EachCommandsHelpNamesItsOwnOptionsOnly)
{
    // The option lines of the help, two blanks in.
    const char *port = "  --port LOCATION", *commit = "  --commit", *count = "  --count N", *backup = "  --no-backup";
    const struct { Command command; const char* synopsis; std::vector<const char*> has, hasNot; } cases[] = {
        {Command::Ports, "tq310-cli ports", {"  --json"}, {port, commit, count, backup}},
        {Command::Read, "tq310-cli read --port LOCATION FILE.ini [--no-backup]", {port, "\"sim\"", backup}, {commit, count}},
        {Command::Write, "tq310-cli write --port LOCATION FILE.ini [--commit] [--no-backup]", {port, commit, backup},
         {count}},
        {Command::Usb, "tq310-cli usb FILE.ini OUT.bin", {"366 bytes"}, {port, commit, count, backup}},
        {Command::Inputs, "tq310-cli inputs --port LOCATION [--count N]", {port, count}, {commit, backup}},
        {Command::Help, "tq310-cli help [COMMAND]", {"COMMAND --help"}, {port, commit, count, backup, "  --json"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.synopsis);
        const std::string help = helpText(c.command).toStdString();
        EXPECT_TRUE(help.starts_with(std::string("Usage: ") + c.synopsis)) << help;
        for (const char* word : c.has)
            EXPECT_NE(help.find(word), std::string::npos) << word;
        for (const char* word : c.hasNot)
            EXPECT_EQ(help.find(word), std::string::npos) << word;
        EXPECT_NE(usageText().toStdString().find(c.synopsis), std::string::npos);
    }
    // The program's help lists every exit status a script may meet.
    const std::string help = helpText(Command::None).toStdString();
    for (const char* status : {"  0  ", "  2  usage", "  3  file refused", "  4  no answer", "  5  line",
                               "  6  commit refused"})
        EXPECT_NE(help.find(status), std::string::npos) << status;
}

TEST(CliSession, TheLineTimeOfAFrameIsRoundedUpToTheMillisecond)
{
    // 10 bits a byte at 9600 baud: 1.0417 ms a byte.
    const struct { int bytes; int ms; } cases[] = {{0, 0}, {1, 2}, {8, 9}, {48, 50}, {177, 185}, {960, 1000}};
    for (const auto& c : cases)
        EXPECT_EQ(lineTimeMs(c.bytes), c.ms) << c.bytes;
}

TEST(CliSeries, EachPortsFileIsNamedAfterItsLocation)
{
    const struct { const char* file; const char* port; const char* own; } cases[] = {
        {"letture/banco.ini", "/dev/ttyUSB0", "letture/banco-ttyUSB0.ini"},
        {"a.b/set", "/dev/pts/4", "a.b/set-pts_4"},
        {"set.old.ini", "tcp://10.0.0.7:4001", "set.old-tcp_10.0.0.7_4001.ini"},
        {".ini", "rfc2217://[::1]:4001", ".ini-rfc2217_1_4001"},
        {"lettura", "banco 2", "lettura-banco_2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(portFile(QString::fromUtf8(c.file), QString::fromUtf8(c.port)).toStdString(), c.own) << c.port;
}

}  // namespace
}  // namespace tq::cli
