#pragma once
// Writes a whole file through a temporary file that replaces the old one only once it is
// complete, so a failed save never destroys the file that was there.

#include <QString>

#include <string>

namespace tq {

enum class SaveStatus { Saved, OpenFailed, WriteFailed };

SaveStatus saveBytes(const QString& path, const std::string& bytes);

}  // namespace tq
