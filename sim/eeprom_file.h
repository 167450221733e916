#pragma once
// The simulator's EEPROM kept in a file, so that a commit survives a restart: exactly 176 bytes,
// the 56-byte record followed by the twelve 10-character menu texts, as "L" carries them.

#include <QString>

#include <optional>

#include "sim/param_image.h"

namespace tq::sim {

// The file's content; the factory set-up when the file does not exist yet; nothing (and *error
// set) when it cannot be read or is not 176 bytes long.
std::optional<ParamImage> loadEepromFile(const QString& path, QString* error);

// Writes through a temporary file, so a failed write leaves the previous content in place.
bool saveEepromFile(const QString& path, const ParamImage& image, QString* error);

}  // namespace tq::sim
