#include "sim/eeprom_file.h"

#include <QFile>
#include <QSaveFile>

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
    QSaveFile file(path);
    const std::string bytes = image.bytes();
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) != kImageSize ||
        !file.commit()) {
        *error = QStringLiteral("cannot write the EEPROM file %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

}  // namespace tq::sim
