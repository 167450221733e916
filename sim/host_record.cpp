#include "sim/host_record.h"

#include <cstdio>

namespace tq::sim {

bool HostRecord::open(const QString& path, QString* error)
{
    m_file.setFileName(path);
    if (m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return true;
    if (error)
        *error = QStringLiteral("cannot record the host's bytes in %1: %2").arg(path, m_file.errorString());
    return false;
}

void HostRecord::append(std::string_view bytes)
{
    if (!m_file.isOpen() || bytes.empty())
        return;
    if (m_file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size()))
        return;
    std::fprintf(stderr, "tq310-sim: the record of the host's bytes stops here: %s\n",
                 m_file.errorString().toLocal8Bit().constData());
    m_file.close();
}

}  // namespace tq::sim
