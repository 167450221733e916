#include "cli/job_support.h"

#include "cli/exit_status.h"
#include "files/param_file.h"
#include "link/port_discovery.h"
#include "params/list_view.h"
#include "sim/simulated_port.h"

namespace tq::cli {

std::unique_ptr<DeviceSession> openSession(Module1& m, const QString& location, const QString& command, Output& out)
{
    const QJsonObject result{{QStringLiteral("command"), command}, {QStringLiteral("port"), location}};
    auto opener = std::make_unique<PortOpener>(GetSerialPortNames().entries, sim::simulatedControllerLine());
    const PortPick pick = opener->resolve(location);
    if (pick.number == 0) {
        const QString why = pick.refusal.empty() ? QStringLiteral("no port number is left for %1").arg(location)
                                                 : systemText(pick.refusal);
        fail(LineFailed, why, result, out);
        return nullptr;
    }
    QString error;
    if (!opener->open(pick.number, &error)) {
        fail(LineFailed, systemText(openFailedText(pick.number, error)), result, out);
        return nullptr;
    }
    return std::make_unique<DeviceSession>(m, std::move(opener), pick.number);
}

bool openParamFile(Module1& m, const QString& path, const QString& command, Output& out)
{
    if (const std::optional<std::string> failure = readParamFile(m, path)) {
        fail(FileRefused, systemText(*failure),
             QJsonObject{{QStringLiteral("command"), command}, {QStringLiteral("file"), path}}, out);
        return false;
    }
    ListInit(m);
    return true;
}

int waitFailed(DeviceSession& session, DeviceSession::Outcome outcome, const QString& command, Output& out)
{
    QJsonObject result{{QStringLiteral("command"), command}};
    if (outcome == DeviceSession::Outcome::LineLost)
        return fail(LineFailed, systemText(session.lostText()), result, out);

    int awaited = 1;
    switch (session.module().ReceiveMode) {
    case ParamRead: awaited = kParamAnswerBytes; break;
    case MenuRead: awaited = kMenuAnswerMinBytes; break;
    default: break;
    }
    const int received = session.port()->bytesWaiting();
    result.insert(QStringLiteral("awaited"), awaited);
    result.insert(QStringLiteral("received"), received);
    return fail(NoAnswer,
                QStringLiteral("no complete answer after %1 ticks of %2 ms (%3 of %4 bytes)\n")
                        .arg(kPatienceTicks).arg(session.timerInterval()).arg(received).arg(awaited)
                    + systemText(session.module().NoAnswerText),
                result, out);
}

int fail(int status, const QString& text, QJsonObject result, Output& out)
{
    out.error(text);
    result.insert(QStringLiteral("status"), status);
    result.insert(QStringLiteral("error"), text);
    out.object(result);
    return status;
}

QString crcText(const ParamRecord& record)
{
    return QStringLiteral("%1-%2").arg(record[kCrcHigh]).arg(record[kCrcLow]);
}

QJsonArray paramsJson(const ParamRecord& record)
{
    QJsonArray values;
    for (int i = 0; i < kParamCount; ++i)
        values.append(record[i]);
    return values;
}

QJsonArray textsJson(const MenuTexts& texts, int count)
{
    QJsonArray values;
    for (int k = 0; k < count; ++k)
        values.append(QString::fromLatin1(texts[k]));
    return values;
}

}  // namespace tq::cli
