// usb: "apri file", then the USB compiler's "Procedi" with OUT.bin as the target.
#include <QJsonObject>

#include "cli/exit_status.h"
#include "cli/job_support.h"
#include "cli/jobs.h"
#include "files/save_bytes.h"
#include "files/usb_file.h"

namespace tq::cli {

int runUsb(const Request& request, Output& out)
{
    const Subject subject{QStringLiteral("usb"), {}, request.files[0]};
    const QString& target = request.files[1];
    const QJsonObject outFile{{QStringLiteral("out"), target}};
    Module1 m;
    if (!openParamFile(m, subject, out))
        return FileRefused;

    const UsbFile file = compileUsbFile(m, target);
    QString reason;
    if (saveBytes(target, file.content, &reason) != SaveStatus::Saved)
        return fail(FileRefused, target, systemText(kUsbWriteError) + QLatin1Char('\n') + reason,
                    subject, out, outFile);

    const QString log = QString(file.log).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.object(subject, Success, log,
               QJsonObject{{QStringLiteral("out"), target},
                           {QStringLiteral("crc"), crcText(m.FileParams)},
                           {QStringLiteral("bytes"), static_cast<int>(file.content.size())}});
    out.line(log);
    return Success;
}

}  // namespace tq::cli
