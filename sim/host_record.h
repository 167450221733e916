#pragma once
// What the tool sent, as the simulator received it: every byte read from the line is appended,
// unbuffered, to a file, so that another program can compare two sessions byte for byte while
// the simulator still runs.

#include <QFile>
#include <QString>

#include <string_view>

namespace tq::sim {

class HostRecord {
public:
    // Starts an empty file at path (an existing one is truncated). On failure says why.
    bool open(const QString& path, QString* error);
    bool isOpen() const { return m_file.isOpen(); }

    // Appends the bytes in arrival order; a failed write closes the record and says so once.
    void append(std::string_view bytes);

private:
    QFile m_file;
};

}  // namespace tq::sim
