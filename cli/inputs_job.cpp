// inputs: "lettura ingressi", its status printed as the input monitor shows it, --count times.
#include <QJsonArray>
#include <QJsonObject>

#include "cli/exit_status.h"
#include "cli/job_support.h"
#include "cli/jobs.h"

namespace tq::cli {

namespace {

// The monitor's lines as pairs: "Mor.12(conteggio)          = [ON ]" gives
// {"input": "Mor.12(conteggio)", "on": true}.
QJsonArray inputsJson(const QString& status)
{
    QJsonArray inputs;
    for (const QString& line : status.split(QLatin1Char('\n'))) {
        const qsizetype eq = line.lastIndexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        inputs.append(QJsonObject{{QStringLiteral("input"), line.left(eq).trimmed()},
                                  {QStringLiteral("on"), line.mid(eq + 1).trimmed() == QLatin1String("[ON ]")}});
    }
    return inputs;
}

}  // namespace

int runInputs(const Request& request, Output& out)
{
    const Subject subject{QStringLiteral("inputs"), request.port, {}};
    Module1 m;
    const std::unique_ptr<DeviceSession> line = openSession(m, subject, out);
    if (!line)
        return LineFailed;
    DeviceSession& session = *line;
    const TerminalText& text1 = session.host().terminal();

    startInputPolling(session.link());
    // A reading is a reply tick (the engine leaves PhaseToggle at -1) that found an answer.
    long readings = 0;
    const auto taken = [&] {
        if (m.Engine.PhaseToggle() != -1 || text1.text() == m.NoAnswerText || text1.text().empty())
            return false;
        ++readings;
        const QString status = systemText(text1.text());
        out.line(status);
        out.object(subject, Success, status,
                   QJsonObject{{QStringLiteral("reading"), int(readings)}, {QStringLiteral("inputs"), inputsJson(status)}});
        return readings == request.count;
    };
    const DeviceSession::Outcome outcome = session.waitFor(taken, [&readings] { return readings; });
    if (outcome != DeviceSession::Outcome::Done)
        return waitFailed(session, outcome, subject, out);
    return Success;
}

}  // namespace tq::cli
