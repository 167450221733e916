#include "cli/job_support.h"

#include <QDir>
#include <QFileInfo>

#include "cli/exit_status.h"
#include "files/param_file.h"
#include "link/port_aliases.h"
#include "link/qt_serial_port.h"
#include "params/list_view.h"
#include "sim/simulated_port.h"

namespace tq::cli {

std::unique_ptr<SerialPort> openLine(const QString& location, const QString& command, Output& out)
{
    std::unique_ptr<SerialPort> port;
    if (location == QLatin1String("sim")) {
        port = sim::makeSimulatedPort();
    } else {
        // A link of that name in the folder of port aliases, otherwise a name the system gives
        // its port (/dev/ttyUSB0, ttyUSB0, COM3).
        const QFileInfo alias(QDir(portAliasFolder()).filePath(location));
        auto serial = std::make_unique<QtSerialPort>();
        serial->setSystemLocation(!location.contains(QLatin1Char('/')) && alias.isSymLink() ? alias.absoluteFilePath()
                                                                                             : location);
        port = std::move(serial);
    }
    QString error;
    if (!port->open(&error)) {
        fail(LineFailed, QStringLiteral("cannot open %1: %2").arg(location, error),
             QJsonObject{{QStringLiteral("command"), command}, {QStringLiteral("port"), location}}, out);
        return nullptr;
    }
    return port;
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
        return fail(LineFailed, QStringLiteral("the line was lost: %1").arg(session.lostReason()), result, out);

    int awaited = 1;
    switch (session.module().ReceiveMode) {
    case ParamRead: awaited = kParamAnswerBytes; break;
    case MenuRead: awaited = kMenuAnswerMinBytes; break;
    default: break;
    }
    const int received = session.port().bytesWaiting();
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
