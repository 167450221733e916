#include "cli/job_support.h"

#include <QDateTime>
#include <QDir>

#include "cli/exit_status.h"
#include "files/backups.h"
#include "files/param_file.h"
#include "params/list_view.h"

namespace tq::cli {

bool openParamFile(Module1& m, const Subject& subject, Output& out)
{
    if (const std::optional<std::string> failure = readParamFile(m, subject.file)) {
        fail(FileRefused, subject.file, systemText(*failure), subject, out);
        return false;
    }
    ListInit(m);
    return true;
}

Later<DeviceSession::Outcome> readBack(DeviceSession& session)
{
    const Module1& m = session.module();
    sendReadBack(session.link(), false);
    return session.waitFor([&m] { return engineInTerminalMode(m); }, [&m] { return long(m.Engine.mode()); });
}

KeptBackup keepBackup(const Module1& m)
{
    KeptBackup kept;
    if (const std::optional<BackupFailure> failure =
            backUpDeviceCopy(m, backupFolder(), QDateTime::currentDateTime(), kKeptBackups, &kept.path))
        kept.failure = failure->message();
    return kept;
}

QString backupLine(const QString& path)
{
    return QStringLiteral("backup of the controller's set-up: %1").arg(QDir::toNativeSeparators(path));
}

int waitFailed(DeviceSession& session, DeviceSession::Outcome outcome, const Subject& subject, Output& out,
               const QString& note)
{
    const QString after = note.isEmpty() ? QString() : QLatin1Char('\n') + note;
    if (outcome == DeviceSession::Outcome::LineLost)
        return fail(LineFailed, subject.port, systemText(session.lostText()) + after, subject, out);

    int awaited = 1;
    switch (session.module().Engine.mode()) {
    case ReceiveMode::ParamRead: awaited = kParamAnswerBytes; break;
    case ReceiveMode::MenuRead: awaited = kMenuAnswerMinBytes; break;
    default: break;
    }
    const int received = session.port()->bytesWaiting();
    return fail(NoAnswer, subject.port,
                QStringLiteral("no complete answer after %1 ticks of %2 ms (%3 of %4 bytes)\n")
                        .arg(kPatienceTicks).arg(session.timerInterval()).arg(received).arg(awaited)
                    + systemText(session.module().NoAnswerText) + after,
                subject, out, QJsonObject{{QStringLiteral("awaited"), awaited}, {QStringLiteral("received"), received}});
}

int fail(int status, const QString& given, const QString& text, const Subject& subject, Output& out,
         const QJsonObject& more)
{
    // The window's texts may start with a blank of their own.
    const QString joint = text.startsWith(QLatin1Char(' ')) ? QStringLiteral(":") : QStringLiteral(": ");
    out.error(given.isEmpty() ? text : given + joint + text);
    out.object(subject, status, text, more);
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
