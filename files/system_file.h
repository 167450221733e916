#pragma once
// Files by the names the system gives them, and only files that are files.
//
// On POSIX a file name is bytes, which need not be UTF-8: a Latin-1 "café.ini" is caf\xE9.ini.
// Qt reads such a byte as U+FFFD, and the file can then be neither opened nor written under its
// name. Here a byte that is no part of valid UTF-8 is kept as the code point U+DC00 + byte, which
// no valid name holds, and given back as that byte. On Windows names are UTF-16, kept whole as
// UTF-8: the 8-bit code page cannot hold every name (a Greek folder on an Italian Windows).
//
// Reading a FIFO waits for a writer and reading /dev/zero never ends, so only a regular file is
// opened for reading.

#include <QByteArray>
#include <QString>

class QFile;

namespace tq {

// A name from the system (a command-line argument, a directory entry) as a path.
QString pathFromSystem(const QByteArray& name);
// The name the system knows the path by: UTF-8, and the kept bytes as they came.
QByteArray systemName(const QString& path);

// Why the thing at path is no regular file ("è una cartella", "è una FIFO", "è un dispositivo"),
// looked at without opening it; empty for a regular file or nothing at all.
QString whyNotAFile(const QString& path);

// Opens the regular file at path for reading into `file`. A FIFO, a device or a folder is
// refused without being read; *reason then says why, in the system's words or ours.
bool openRegularFile(QFile& file, const QString& path, QString* reason = nullptr);

}  // namespace tq
