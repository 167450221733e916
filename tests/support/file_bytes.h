#pragma once
// A file's bytes read whole (empty when it cannot be read), and bytes written as a file's whole
// content: what a test puts on disk and compares afterwards.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace tq::test {

inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

}  // namespace tq::test
