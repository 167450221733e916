// read: "Trasferisci parametri da  TQ310 al buffer", then "salva con nome"; the read-back leaves a
// backup, as in the window.
#include <QJsonObject>

#include "cli/exit_status.h"
#include "cli/job_support.h"
#include "cli/jobs.h"
#include "cli/port_run.h"
#include "files/param_file.h"
#include "files/save_bytes.h"
#include "link/receive_engine.h"
#include "params/crc.h"

namespace tq::cli {

namespace {

bool crcMatches(const ParamRecord& record)
{
    const std::uint16_t crc = crc16(record.data(), kParamCount);
    return record[kCrcHigh] == crc >> 8 && record[kCrcLow] == (crc & 0xFF);
}

}  // namespace

Job runRead(PortRun& run)
{
    const Subject subject{QStringLiteral("read"), run.port(), run.file()};
    const QString& path = subject.file;
    Output& out = run.out();
    Module1& m = run.module();
    DeviceSession* const line = co_await run.open(subject);
    if (!line)
        co_return LineFailed;
    DeviceSession& session = *line;

    // The window's own way to make the controller's values the working copy: the read-back
    // started by ChipBuffer copies them once the menu texts are in.
    out.progress(QStringLiteral("reading the parameters and menu texts from %1").arg(run.port()));
    sendReadBack(session.link(), true);
    const DeviceSession::Outcome outcome = co_await session.waitFor(
        [&m] { return engineInTerminalMode(m) && m.Engine.ChipToBuffer() == 0; },
        [&m] { return long(m.Engine.mode()); });
    if (outcome != DeviceSession::Outcome::Done)
        co_return waitFailed(session, outcome, subject, out);

    QString reason;
    if (saveBytes(path, paramFileContent(m), &reason) != SaveStatus::Saved)
        co_return fail(FileRefused, path, QString::fromLatin1(kSaveFailed) + QLatin1Char('(') + reason + QLatin1Char(')'), subject, out);

    // As in the window, a backup that cannot be kept is said and changes nothing else.
    const KeptBackup backup = run.request().backup ? keepBackup(m) : KeptBackup{};
    if (!backup.failure.isEmpty())
        out.error(backup.failure);

    const bool matches = crcMatches(m.ChipParams);
    const QString message = QStringLiteral("%1: 54 parameters and 12 menu texts from %2").arg(path, run.port());
    QJsonObject result{{QStringLiteral("crc"), crcText(m.ChipParams)},
                       {QStringLiteral("crcMatches"), matches},
                       {QStringLiteral("params"), paramsJson(m.ChipParams)},
                       {QStringLiteral("texts"), textsJson(m.ChipMenuTexts, kDeviceMenuTexts)}};
    if (!backup.path.isEmpty())
        result.insert(QStringLiteral("backup"), backup.path);
    out.object(subject, Success, message, result);
    out.line(message);
    out.line(QStringLiteral("device CRC %1 (%2)")
                 .arg(crcText(m.ChipParams),
                      matches ? QStringLiteral("matches the parameters") : QStringLiteral("does NOT match the parameters")));
    if (!backup.path.isEmpty())
        out.line(backupLine(backup.path));
    co_return Success;
}

}  // namespace tq::cli
