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
    const QString command = QStringLiteral("usb");
    const QString& path = request.files[0];
    const QString& target = request.files[1];
    Module1 m;
    if (!openParamFile(m, path, command, out))
        return FileRefused;

    const UsbFile file = compileUsbFile(m, target);
    QJsonObject result{{QStringLiteral("command"), command}, {QStringLiteral("file"), path},
                       {QStringLiteral("out"), target}};
    if (saveBytes(target, file.content) != SaveStatus::Saved)
        return fail(FileRefused, target + QStringLiteral(":") + systemText(kUsbWriteError), result, out);

    result.insert(QStringLiteral("status"), Success);
    result.insert(QStringLiteral("crc"), crcText(m.FileParams));
    result.insert(QStringLiteral("bytes"), static_cast<int>(file.content.size()));
    out.object(result);
    out.line(QString(file.log).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    return Success;
}

}  // namespace tq::cli
