// tq310-sim: simulated TQ310 controllers on pseudo-terminals or network ports.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "link/port_aliases.h"
#include "sim/eeprom_file.h"
#include "sim/pty_station.h"
#include "sim/sim_loop.h"
#include "sim/tcp_station.h"
#include "sim/trace_replay.h"
#include "trace/trace_file.h"

namespace {

const char* const kDescription =
    "A simulated TQ310 controller for tq310-test. It opens a pseudo-terminal, prints its path\n"
    "and puts a link to it, named after the --alias option, in the folder of port aliases\n"
    "(%1; $TQ310_PORT_ALIASES overrides it), so that the tool's port chooser lists it.\n"
    "The link is removed when the simulator ends (Ctrl+C, SIGTERM or \"quit\").\n"
    "With --listen it is a serial device server on the network instead: it prints the URL\n"
    "(tcp://127.0.0.1:5000, or rfc2217://... with --rfc2217) and the link points at it.\n"
    "\n"
    "It answers every command of the tool at 9600 baud: parameters (H), menu texts (J), writes\n"
    "(L), the EEPROM commit (W and the password), re-initialisation (z), a forced EEPROM error\n"
    "(@), output phases (Y), inputs (K), outputs (!), memory stepping (& R / y), the production\n"
    "simulation (R S) and the panel keys (M N 2 1 E $ C). A parameter write whose CRC does not\n"
    "match is kept as received, so that a read-back shows it, and the display reports it.\n"
    "\n"
    "Fault modes: none, silent (no answer at all), short (every answer loses its second half),\n"
    "garbage (answers replaced by noise), long-rows (simulation rows of 13 bytes), drop (the\n"
    "line is hung up as if the cable were pulled). Type a mode on standard input to switch to\n"
    "it while running; after \"drop\" any other mode plugs the line in again on a new\n"
    "pseudo-terminal (or listens again on the same network port).\n"
    "\n"
    "With --replay it answers as the controller of a trace saved by the tool's \"Registro della\n"
    "linea\" did, so that a fault seen at a machine can be reproduced on the bench.";

int fail(const QString& text)
{
    std::fprintf(stderr, "tq310-sim: %s\n", text.toLocal8Bit().constData());
    return 2;
}

// One simulated controller and what is its alone.
struct Controller {
    tq::sim::ControllerModel model;
    tq::sim::HostRecord record;
    std::optional<tq::sim::TraceReplay> replay;
};

// The file of controller `k` (1 to `count`) that an option names: the path itself for one
// controller, <folder>/<stem>-<k>.bin when the path is a folder; nothing, with the reason, for
// several controllers and a path that is not a folder.
std::optional<QString> fileOf(const QString& path, const char* option, const char* stem, int k, int count,
                              QString* error)
{
    if (QFileInfo(path).isDir())
        return QStringLiteral("%1/%2-%3.bin").arg(path, QLatin1String(stem)).arg(k);
    if (count == 1)
        return path;
    *error = QStringLiteral("%1 must name a folder for %2 controllers").arg(QLatin1String(option)).arg(count);
    return std::nullopt;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tq310-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription).arg(tq::portAliasFolder()));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption eepromOption(
        QStringLiteral("eeprom"),
        QStringLiteral("Keep the EEPROM in <file> (176 bytes: the 56-byte record and the 120 "
                       "bytes of menu texts). A missing file starts from the factory set-up and "
                       "is written at the first commit. Without this option the EEPROM lives "
                       "in memory only. A folder holds one file per controller, eeprom-<k>.bin "
                       "for controller k."),
        QStringLiteral("file"));
    const QCommandLineOption aliasOption(
        QStringLiteral("alias"), QStringLiteral("Name of the link in the folder of port aliases."),
        QStringLiteral("name"), QStringLiteral("TQ310 simulato"));
    const QCommandLineOption faultOption(
        QStringLiteral("fault"),
        QStringLiteral("Start in this fault mode: none, silent, short, garbage, long-rows, drop."),
        QStringLiteral("mode"), QStringLiteral("none"));
    const QCommandLineOption shortedOption(
        QStringLiteral("shorted-output"),
        QStringLiteral("Output 1-24 that is shorted: with output protection on (parameter 4) the "
                       "output test finds it switched off and reports it in the fourth byte."),
        QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption recordOption(
        QStringLiteral("record-host"),
        QStringLiteral("Append every byte received from the tool to <file> (emptied at start), as "
                       "it arrives, to compare what two programs send. A folder holds one file per "
                       "controller, host-<k>.bin for controller k."),
        QStringLiteral("file"));
    const QCommandLineOption replayOption(
        QStringLiteral("replay"),
        QStringLiteral("Answer as the controller of the saved line trace <trace> (\"Salva registro\" "
                       "in the tool's \"Registro della linea\") answered: each command gets the "
                       "answers recorded after the same command bytes, in the order of recording, "
                       "starting over after the last, at 9600 baud. Commands the trace never saw "
                       "are answered by the simulated controller, as are all in a fault mode."),
        QStringLiteral("trace"));
    const QCommandLineOption listenOption(
        QStringLiteral("listen"),
        QStringLiteral("Be a serial device server on the network instead of a pseudo-terminal: "
                       "listen on <address>, PORT (on the loopback address 127.0.0.1), HOST:PORT "
                       "or [IPv6]:PORT; port 0 takes one the system picks. One connection at a "
                       "time carries the line's bytes (tcp://HOST:PORT); another one is closed at "
                       "once. The controller keeps its state from one connection to the next."),
        QStringLiteral("address"));
    const QCommandLineOption rfc2217Option(
        QStringLiteral("rfc2217"),
        QStringLiteral("With --listen, speak Telnet with the COM-PORT-OPTION (RFC 2217) on the "
                       "connection (rfc2217://HOST:PORT): the port answers every setting with "
                       "9600 baud, 8 data bits, no parity, 1 stop bit, no flow control."));
    const QCommandLineOption controllersOption(
        QStringLiteral("controllers"),
        QStringLiteral("Simulate <n> controllers (1 to 255), each with its own state: on n "
                       "consecutive ports from the one --listen gives (each on a port of its own "
                       "for port 0), or on n pseudo-terminals; their links are named after "
                       "--alias with the number of the controller. --eeprom and --record-host "
                       "then name folders."),
        QStringLiteral("n"), QStringLiteral("1"));
    parser.addOptions({eepromOption, aliasOption, faultOption, shortedOption, recordOption, replayOption, listenOption,
                       rfc2217Option, controllersOption});
    parser.process(app);

    const auto fault = tq::sim::faultFromName(parser.value(faultOption).toStdString());
    if (!fault)
        return fail(QStringLiteral("unknown fault mode \"%1\"").arg(parser.value(faultOption)));

    bool numeric = false;
    const int shorted = parser.value(shortedOption).toInt(&numeric);
    if (!numeric || shorted < 0 || shorted > 24)
        return fail(QStringLiteral("--shorted-output takes an output from 1 to 24"));

    const int count = parser.value(controllersOption).toInt(&numeric);
    if (!numeric || count < 1 || count > 255)
        return fail(QStringLiteral("--controllers takes a number from 1 to 255"));

    std::optional<tq::sim::ListenAddress> address;
    if (parser.isSet(listenOption)) {
        address = tq::sim::parseListenAddress(parser.value(listenOption));
        if (!address)
            return fail(QStringLiteral("--listen takes PORT, HOST:PORT or [IPv6]:PORT"));
        if (address->port != 0 && address->port + count - 1 > 65535)
            return fail(QStringLiteral("--listen: %1 controllers do not fit below port 65536").arg(count));
    } else if (parser.isSet(rfc2217Option)) {
        return fail(QStringLiteral("--rfc2217 needs --listen"));
    }

    std::optional<std::vector<tq::TraceFrame>> frames;
    if (parser.isSet(replayOption)) {
        QString error;
        frames = tq::readTraceFile(parser.value(replayOption), &error);
        if (!frames)
            return fail(QStringLiteral("cannot replay %1: %2").arg(parser.value(replayOption), error));
    }

    std::vector<std::unique_ptr<Controller>> controllers;
    std::vector<std::unique_ptr<tq::sim::Station>> stations;
    for (int k = 1; k <= count; ++k) {
        auto controller = std::make_unique<Controller>();
        tq::sim::ControllerModel& model = controller->model;
        model.setFault(*fault);
        model.setShortedOutput(shorted);
        QString error;
        if (parser.isSet(eepromOption)) {
            const auto path = fileOf(parser.value(eepromOption), "--eeprom", "eeprom", k, count, &error);
            const auto image = path ? tq::sim::loadEepromFile(*path, &error) : std::nullopt;
            if (!image)
                return fail(error);
            model.powerOn(*image);
            model.onEepromWritten = [&model, path = *path] {
                QString error;
                if (!tq::sim::saveEepromFile(path, model.eeprom(), &error))
                    tq::sim::complain(error);
            };
        }
        if (parser.isSet(recordOption)) {
            const auto path = fileOf(parser.value(recordOption), "--record-host", "host", k, count, &error);
            if (!path || !controller->record.open(*path, &error))
                return fail(error);
        }
        tq::sim::PacedLine::Answer answer;
        if (frames) {
            tq::sim::TraceReplay& replay = controller->replay.emplace(*frames, model);
            answer = [&replay](std::string_view bytes, std::int64_t nowMs) { return replay.receive(bytes, nowMs); };
        }
        const QString alias = count == 1 ? parser.value(aliasOption)
                                         : QStringLiteral("%1 %2").arg(parser.value(aliasOption)).arg(k);
        std::unique_ptr<tq::sim::Station> station;
        if (address) {
            tq::sim::ListenAddress at = *address;
            if (at.port != 0)
                at.port = static_cast<std::uint16_t>(at.port + k - 1);
            station = std::make_unique<tq::sim::TcpStation>(model, std::move(answer), alias, at,
                                                            parser.isSet(rfc2217Option));
        } else {
            station = std::make_unique<tq::sim::PtyStation>(model, std::move(answer), alias);
        }
        station->setHostRecord(&controller->record);
        stations.push_back(std::move(station));
        controllers.push_back(std::move(controller));
    }

    if (frames) {
        const tq::sim::TraceReplay& replay = *controllers.front()->replay;
        std::printf("Replaying %s: %zu answers to %zu commands\n", parser.value(replayOption).toLocal8Bit().constData(),
                    replay.answerCount(), replay.commandCount());
        std::fflush(stdout);
    }

    std::vector<tq::sim::Station*> lines;
    for (const auto& s : stations)
        lines.push_back(s.get());
    return tq::sim::SimLoop(std::move(lines)).run();
}
