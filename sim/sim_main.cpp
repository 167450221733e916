// tq310-sim: a simulated TQ310 controller on a pseudo-terminal.

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <optional>

#include "link/port_aliases.h"
#include "sim/eeprom_file.h"
#include "sim/pty_session.h"
#include "sim/trace_replay.h"
#include "trace/trace_file.h"

namespace {

const char* const kDescription =
    "A simulated TQ310 controller for tq310-test. It opens a pseudo-terminal, prints its path\n"
    "and puts a link to it, named after the --alias option, in the folder of port aliases\n"
    "(%1; $TQ310_PORT_ALIASES overrides it), so that the tool's port chooser lists it.\n"
    "The link is removed when the simulator ends (Ctrl+C, SIGTERM or \"quit\").\n"
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
    "pseudo-terminal.\n"
    "\n"
    "With --replay it answers as the controller of a trace saved by the tool's \"Registro della\n"
    "linea\" did, so that a fault seen at a machine can be reproduced on the bench.";

int fail(const QString& text)
{
    std::fprintf(stderr, "tq310-sim: %s\n", text.toLocal8Bit().constData());
    return 2;
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
                       "in memory only."),
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
                       "it arrives, to compare what two programs send."),
        QStringLiteral("file"));
    const QCommandLineOption replayOption(
        QStringLiteral("replay"),
        QStringLiteral("Answer as the controller of the saved line trace <trace> (\"Salva registro\" "
                       "in the tool's \"Registro della linea\") answered: each command gets the "
                       "answers recorded after the same command bytes, in the order of recording, "
                       "starting over after the last, at 9600 baud. Commands the trace never saw "
                       "are answered by the simulated controller, as are all in a fault mode."),
        QStringLiteral("trace"));
    parser.addOptions({eepromOption, aliasOption, faultOption, shortedOption, recordOption, replayOption});
    parser.process(app);

    tq::sim::ControllerModel model;

    const auto fault = tq::sim::faultFromName(parser.value(faultOption).toStdString());
    if (!fault)
        return fail(QStringLiteral("unknown fault mode \"%1\"").arg(parser.value(faultOption)));
    model.setFault(*fault);

    bool numeric = false;
    const int shorted = parser.value(shortedOption).toInt(&numeric);
    if (!numeric || shorted < 0 || shorted > 24)
        return fail(QStringLiteral("--shorted-output takes an output from 1 to 24"));
    model.setShortedOutput(shorted);

    const QString eepromPath = parser.value(eepromOption);
    if (!eepromPath.isEmpty()) {
        QString error;
        const auto image = tq::sim::loadEepromFile(eepromPath, &error);
        if (!image)
            return fail(error);
        model.powerOn(*image);
        model.onEepromWritten = [&model, eepromPath] {
            QString error;
            if (!tq::sim::saveEepromFile(eepromPath, model.eeprom(), &error))
                std::fprintf(stderr, "tq310-sim: %s\n", error.toLocal8Bit().constData());
        };
    }

    tq::sim::HostRecord record;
    if (parser.isSet(recordOption)) {
        QString error;
        if (!record.open(parser.value(recordOption), &error))
            return fail(error);
    }

    std::optional<tq::sim::TraceReplay> replay;
    if (parser.isSet(replayOption)) {
        QString error;
        const auto frames = tq::readTraceFile(parser.value(replayOption), &error);
        if (!frames)
            return fail(QStringLiteral("cannot replay %1: %2").arg(parser.value(replayOption), error));
        replay.emplace(*frames, model);
        std::printf("Replaying %s: %zu answers to %zu commands\n", parser.value(replayOption).toLocal8Bit().constData(),
                    replay->answerCount(), replay->commandCount());
        std::fflush(stdout);
    }
    tq::sim::PacedLine::Answer answer;
    if (replay)
        answer = [&replay](std::string_view bytes, std::int64_t nowMs) { return replay->receive(bytes, nowMs); };

    tq::sim::PtySession session(model, parser.value(aliasOption), std::move(answer));
    session.setHostRecord(&record);
    return session.run();
}
