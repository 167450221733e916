#include "cli/runner.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "cli/exit_status.h"
#include "cli/job_support.h"
#include "cli/jobs.h"
#include "cli/port_run.h"
#include "link/port_discovery.h"

namespace tq::cli {

namespace {

// One port of the run.
struct Lane {
    std::unique_ptr<Output> out;  // a series' port's own
    std::unique_ptr<PortRun> run;
    std::optional<Job> job;
    int status = Success;
    double seconds = 0;
};

QString commandName(Command command)
{
    switch (command) {
    case Command::Read: return QStringLiteral("read");
    case Command::Write: return QStringLiteral("write");
    default: break;
    }
    return QStringLiteral("inputs");
}

Job jobFor(Command command, PortRun& run)
{
    switch (command) {
    case Command::Read: return runRead(run);
    case Command::Write: return runWrite(run);
    default: break;
    }
    return runInputs(run);
}

// The locations of --ports-from: a line each, blanks around it dropped, empty lines and lines
// that start with '#' left out. Nothing, with the reason, when the file cannot be read.
std::optional<QStringList> portsFrom(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return std::nullopt;
    }
    QStringList ports;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            ports << line;
    }
    return ports;
}

// What a port's outcome was, for the summary.
QString resultOf(int status, const QJsonObject& outcome)
{
    switch (status) {
    case Success:
        if (outcome.contains(QStringLiteral("committed")))
            return outcome[QStringLiteral("committed")].toBool() ? QStringLiteral("committed") : QStringLiteral("written");
        if (outcome.contains(QStringLiteral("reading")))
            return QStringLiteral("%1 readings").arg(outcome[QStringLiteral("reading")].toInt());
        return outcome[QStringLiteral("crcMatches")].toBool() ? QStringLiteral("read") : QStringLiteral("read, CRC differs");
    case FileRefused: return QStringLiteral("file refused");
    case NoAnswer: return QStringLiteral("no answer");
    case LineFailed: return QStringLiteral("line failed");
    case CommitRefused: return QStringLiteral("commit refused");
    default: break;
    }
    return QStringLiteral("status %1").arg(status);
}

// The summary of a series: the table, or with --json one object; the highest status.
int summarize(const Subject& subject, const std::vector<Lane>& lanes, Output& out)
{
    QJsonArray rows;
    std::vector<std::pair<QString, int>> tally;  // "16 committed", in the order the results first came
    int worst = Success;
    for (const Lane& lane : lanes) {
        const QJsonObject& outcome = lane.out->lastOutcome();
        const QString result = resultOf(lane.status, outcome);
        const QString crc = outcome.value(QStringLiteral("deviceCrc")).toString(outcome.value(QStringLiteral("crc")).toString());
        rows.append(QJsonObject{{QStringLiteral("port"), lane.run->port()},
                                {QStringLiteral("status"), lane.status},
                                {QStringLiteral("result"), result},
                                {QStringLiteral("crc"), crc},
                                {QStringLiteral("seconds"), qRound(lane.seconds * 10) / 10.0}});
        const auto same = std::find_if(tally.begin(), tally.end(), [&](const auto& t) { return t.first == result; });
        if (same == tally.end())
            tally.emplace_back(result, 1);
        else
            ++same->second;
        worst = std::max(worst, lane.status);
    }
    QStringList counted;
    for (const auto& [result, count] : tally)
        counted << QStringLiteral("%1 %2").arg(count).arg(result);
    const QString message = QStringLiteral("%1 ports: %2").arg(lanes.size()).arg(counted.join(QStringLiteral(", ")));
    out.object(subject, worst, message, QJsonObject{{QStringLiteral("ports"), rows}});

    // The table: a column as wide as its widest cell, two blanks between columns.
    const QStringList head{QStringLiteral("port"), QStringLiteral("result"), QStringLiteral("CRC"), QStringLiteral("seconds")};
    std::vector<QStringList> table{head};
    for (const QJsonValue& row : rows) {
        const QJsonObject r = row.toObject();
        const QString crc = r[QStringLiteral("crc")].toString();
        table.push_back({r[QStringLiteral("port")].toString(), r[QStringLiteral("result")].toString(),
                         crc.isEmpty() ? QStringLiteral("-") : crc,
                         QString::number(r[QStringLiteral("seconds")].toDouble(), 'f', 1)});
    }
    QList<qsizetype> widths(head.size(), 0);
    for (const QStringList& cells : table)
        for (qsizetype c = 0; c < cells.size(); ++c)
            widths[c] = std::max(widths[c], cells[c].size());
    QString text;
    for (const QStringList& cells : table) {
        QString line;
        for (qsizetype c = 0; c < cells.size(); ++c)
            line += c + 1 < cells.size() ? cells[c].leftJustified(widths[c] + 2) : cells[c];
        text += line + QLatin1Char('\n');
    }
    out.line(text + message);
    return worst;
}

}  // namespace

QString portName(const QString& location)
{
    const QString rest = location.startsWith(QLatin1String("/dev/")) ? location.mid(5) : location;
    QString name;
    for (const QChar c : rest) {
        const bool kept = c.isLetterOrNumber() || c == QLatin1Char('.') || c == QLatin1Char('-') || c == QLatin1Char('_');
        if (kept)
            name += c;
        else if (!name.endsWith(QLatin1Char('_')))
            name += QLatin1Char('_');
    }
    return name;
}

QString portFile(const QString& file, const QString& port)
{
    const QFileInfo info(file);
    const qsizetype dot = info.fileName().lastIndexOf(QLatin1Char('.'));
    const qsizetype at = file.size() - info.fileName().size() + (dot > 0 ? dot : info.fileName().size());
    return file.left(at) + QLatin1Char('-') + portName(port) + file.mid(at);
}

int runOnPorts(const Request& request, Output& out)
{
    const QString file = request.files.value(0);
    const Subject subject{commandName(request.command), {}, file};
    QStringList ports = request.ports;
    if (!request.portsFrom.isEmpty()) {
        QString error;
        const std::optional<QStringList> more = portsFrom(request.portsFrom, &error);
        if (!more)
            return fail(FileRefused, request.portsFrom, error, subject, out);
        if (more->isEmpty())
            return fail(UsageError, request.portsFrom, QStringLiteral("holds no LOCATION"), subject, out);
        ports << *more;
    }
    const bool series = ports.size() > 1 || !request.portsFrom.isEmpty();
    QStringList files;
    for (const QString& port : ports) {
        const QString own = series && request.command == Command::Read ? portFile(file, port) : file;
        if (ports.count(port) > 1)
            return fail(UsageError, port, QStringLiteral("given more than once"), subject, out);
        if (request.command == Command::Read && files.contains(own))
            return fail(UsageError, port, QStringLiteral("its file %1 is another port's").arg(own), subject, out);
        files << own;
    }

    const std::vector<PortEntry> entries = GetSerialPortNames().entries;
    std::vector<Lane> lanes(ports.size());
    for (qsizetype i = 0; i < ports.size(); ++i) {
        Lane& lane = lanes[std::size_t(i)];
        if (series)
            lane.out = std::make_unique<Output>(out.seriesPart());
        lane.run = std::make_unique<PortRun>(request, ports[i], files[i], series ? *lane.out : out, entries);
    }

    // Each job ends on its own; its line stays open for the bytes still leaving, then closes.
    QEventLoop loop;
    std::size_t open = lanes.size();
    QElapsedTimer clock;
    clock.start();
    for (Lane& lane : lanes) {
        lane.job.emplace(jobFor(request.command, *lane.run));
        lane.job->start([&lane, &clock, &loop, &open](int status) {
            lane.status = status;
            lane.seconds = double(clock.elapsed()) / 1000;
            DeviceSession* session = lane.run->session();
            if (session)
                session->stop();
            QTimer::singleShot(session ? session->lingerMs() : 0, &loop, [&lane, &loop, &open] {
                lane.run->close();
                if (--open == 0)
                    loop.quit();
            });
        });
    }
    loop.exec();
    return series ? summarize(subject, lanes, out) : lanes.front().status;
}

}  // namespace tq::cli
