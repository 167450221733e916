#include "sim/eeprom_file.h"

#include <QFile>

#include "files/save_bytes.h"

namespace tq::sim {

std::optional<ParamImage> loadEepromFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.exists())
        return factorySetup();
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the EEPROM file %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    const QByteArray bytes = file.read(kImageSize + 1);
    if (bytes.size() != kImageSize) {
        *error = QStringLiteral("the EEPROM file %1 holds %2 bytes instead of %3")
                     .arg(path)
                     .arg(bytes.size() > kImageSize ? QStringLiteral("more than %1").arg(kImageSize)
                                                    : QString::number(bytes.size()))
                     .arg(kImageSize);
        return std::nullopt;
    }
    return ParamImage::fromBytes(std::string_view(bytes.constData(), bytes.size()));
}

bool saveEepromFile(const QString& path, const ParamImage& image, QString* error)
{
    if (saveBytes(path, image.bytes()) != SaveStatus::Saved) {
        *error = QStringLiteral("cannot write the EEPROM file %1").arg(path);
        return false;
    }
    return true;
}

}  // namespace tq::sim
