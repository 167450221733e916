// write: "apri file", "Carica parametri  dal TQ310" for a backup of what the controller holds,
// "Trafferisci parametri nel TQ310", "Carica parametri  dal TQ310" and, with --commit, "Salva
// parametri  nella EEPROM", in the window's order and with its senders. Any failure before the
// comparisons ends the job: nothing is written without a backup, nothing committed after an error.
#include <QJsonArray>
#include <QJsonObject>

#include "cli/exit_status.h"
#include "cli/job_support.h"
#include "cli/jobs.h"
#include "cli/port_run.h"
#include "files/backups.h"
#include "operations/transfers.h"

namespace tq::cli {

namespace {

// The bytes of the write frame: "L", the record, the menu texts.
constexpr int kWriteFrameBytes = 1 + kDeviceRecordSize + kDeviceMenuTexts * kMenuTextLength;
// "W", the password and CR.
constexpr int kCommitFrameBytes = 8;

QString byteName(int index)
{
    if (index < kParamCount)
        return QStringLiteral("parameter %1").arg(index + 1);
    if (index == kCrcHigh)
        return QStringLiteral("CRC high byte");
    if (index == kCrcLow)
        return QStringLiteral("CRC low byte");
    return QStringLiteral("spare byte");
}

// The pairs behind the comparison that failed, for the engineer who has to find them.
QJsonArray differences(const Module1& m, CommitCheck check)
{
    QJsonArray found;
    if (check == CommitCheck::ParamsDiffer) {
        for (int i = 0; i < kRecordSize; ++i)
            if (m.FileParams[i] != m.ChipParams[i])
                found.append(QJsonObject{{QStringLiteral("what"), byteName(i)},
                                         {QStringLiteral("file"), m.FileParams[i]},
                                         {QStringLiteral("device"), m.ChipParams[i]}});
    } else if (check == CommitCheck::TextsDiffer) {
        for (int k = 0; k < kMenuTextSlots; ++k)
            if (m.FileMenuTexts[k] != m.ChipMenuTexts[k])
                found.append(QJsonObject{{QStringLiteral("what"), QStringLiteral("menu text %1").arg(k)},
                                         {QStringLiteral("file"), QString::fromLatin1(m.FileMenuTexts[k])},
                                         {QStringLiteral("device"), QString::fromLatin1(m.ChipMenuTexts[k])}});
    }
    return found;
}

QString differenceLine(const QJsonObject& d)
{
    // A menu text is the controller's data, or the file's: a control byte in it must not act on
    // the terminal.
    const auto shown = [](const QJsonValue& v) {
        return v.isString() ? QLatin1Char('"') + escapedText(v.toString()) + QLatin1Char('"') : QString::number(v.toInt());
    };
    return QStringLiteral("  %1: file %2, controller %3")
        .arg(d[QStringLiteral("what")].toString(), shown(d[QStringLiteral("file")]), shown(d[QStringLiteral("device")]));
}

QString comparisonName(CommitCheck check)
{
    switch (check) {
    case CommitCheck::ParamsDiffer: return QStringLiteral("parameters");
    case CommitCheck::TextsDiffer: return QStringLiteral("menu-texts");
    case CommitCheck::Agree: break;
    }
    return QStringLiteral("agree");
}

}  // namespace

Job runWrite(PortRun& run)
{
    const Subject subject{QStringLiteral("write"), run.port(), run.file()};
    const QString& path = subject.file;
    const Request& request = run.request();
    Output& out = run.out();
    Module1& m = run.module();
    if (!openParamFile(m, subject, out))
        co_return FileRefused;
    if (request.backup)
        if (const std::optional<BackupFailure> failure = makeBackupFolder(backupFolder()))
            co_return fail(FileRefused, {}, failure->message(), subject, out);
    DeviceSession* const line = co_await run.open(subject);
    if (!line)
        co_return LineFailed;
    DeviceSession& session = *line;

    // What the controller holds is kept before anything changes it.
    QJsonObject result;
    if (request.backup) {
        out.progress(QStringLiteral("reading what %1 holds, for the backup").arg(run.port()));
        const DeviceSession::Outcome outcome = co_await readBack(session);
        if (outcome != DeviceSession::Outcome::Done)
            co_return waitFailed(session, outcome, subject, out);
        const KeptBackup backup = keepBackup(m);
        if (!backup.failure.isEmpty())
            co_return fail(FileRefused, {}, backup.failure, subject, out);
        result.insert(QStringLiteral("backup"), backup.path);
        out.line(backupLine(backup.path));
    }

    out.progress(QStringLiteral("writing %1 into %2").arg(path, run.port()));
    writeWorkingCopy(session.link(), {});
    DeviceSession::Outcome outcome = co_await session.carry(kWriteFrameBytes);
    if (outcome != DeviceSession::Outcome::Done)
        co_return waitFailed(session, outcome, subject, out);

    out.progress(QStringLiteral("reading back"));
    outcome = co_await readBack(session);
    // The controller takes "L" without a word: only the read-back would have told.
    if (outcome != DeviceSession::Outcome::Done)
        co_return waitFailed(session, outcome, subject, out,
                          QStringLiteral("The write frame (\"L\", %1 bytes) went out but was NOT verified: the "
                                         "controller may hold the file's values or its former ones.")
                              .arg(kWriteFrameBytes));

    const CommitCheck check = request.commit ? commitToEeprom(session.link()) : compareForCommit(session.link());
    const bool committed = request.commit && check == CommitCheck::Agree;
    if (committed) {
        out.progress(QStringLiteral("committing to the EEPROM"));
        outcome = co_await session.carry(kCommitFrameBytes);
        if (outcome != DeviceSession::Outcome::Done)
            co_return waitFailed(session, outcome, subject, out);
    }

    result.insert(QStringLiteral("crc"), crcText(m.FileParams));
    result.insert(QStringLiteral("deviceCrc"), crcText(m.ChipParams));
    result.insert(QStringLiteral("comparison"), comparisonName(check));
    result.insert(QStringLiteral("committed"), committed);
    if (check != CommitCheck::Agree) {
        const QJsonArray found = differences(m, check);
        result.insert(QStringLiteral("differences"), found);
        QString text = QString::fromLatin1(commitRefusalText(check));
        for (const QJsonValue& d : found)
            text += QLatin1Char('\n') + differenceLine(d.toObject());
        co_return fail(CommitRefused, path, text, subject, out, result);
    }
    const QString message = QStringLiteral("%1 written into %2: CRC %3, read back: CRC %4, both comparisons agree")
                                .arg(path, run.port(), crcText(m.FileParams), crcText(m.ChipParams));
    out.object(subject, Success, message, result);
    out.line(message);
    out.line(committed ? systemText(session.host().terminal().text())
                       : QStringLiteral("not committed (no --commit): the EEPROM keeps its former values"));
    co_return Success;
}

}  // namespace tq::cli
