// inputs: "lettura ingressi", its status printed as the input monitor shows it, --count times.
#include <QJsonArray>
#include <QJsonObject>

#include "cli/exit_status.h"
#include "cli/job_support.h"
#include "cli/jobs.h"
#include "cli/port_run.h"

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

Job runInputs(PortRun& run)
{
    const Subject subject{QStringLiteral("inputs"), run.port(), {}};
    const Request& request = run.request();
    Output& out = run.out();
    Module1& m = run.module();
    DeviceSession* const line = co_await run.open(subject);
    if (!line)
        co_return LineFailed;
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
    const DeviceSession::Outcome outcome = co_await session.waitFor(taken, [&readings] { return readings; });
    if (outcome != DeviceSession::Outcome::Done)
        co_return waitFailed(session, outcome, subject, out);
    co_return Success;
}

}  // namespace tq::cli
