#pragma once
// A folder plugged in as a new drive letter for as long as the object lives, as Windows shows a
// USB key: the first letter from F that no drive has. Windows learns it as "subst" teaches it;
// Wine lists such a letter too but finds files through the links in its prefix's dosdevices
// folder, so there the link is made as well (Wine runs the host's ln and rm for a Windows program).

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <QDir>
#include <QProcess>
#include <QString>

#include <windows.h>

namespace tq::test {

class DriveLetter {
public:
    explicit DriveLetter(const QString& folder)
    {
        while (m_drive[0] < L'Z' && (GetLogicalDrives() & (1u << (m_drive[0] - L'A'))))
            ++m_drive[0];
        const std::wstring target = QDir::toNativeSeparators(folder).toStdWString();
        DefineDosDeviceW(0, m_drive, target.c_str());
        using UnixName = char* (*)(const wchar_t*);
        const auto unixName = reinterpret_cast<UnixName>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
        if (unixName) {
            m_link = qEnvironmentVariable("WINEPREFIX") + QStringLiteral("/dosdevices/")
                + QString::fromWCharArray(m_drive).toLower();
            QProcess::execute(QStringLiteral("Z:/bin/ln"),
                              {QStringLiteral("-s"), QString::fromLocal8Bit(unixName(target.c_str())), m_link});
        }
    }
    ~DriveLetter()
    {
        DefineDosDeviceW(DDD_REMOVE_DEFINITION, m_drive, nullptr);
        if (!m_link.isEmpty())
            QProcess::execute(QStringLiteral("Z:/bin/rm"), {m_link});
    }
    DriveLetter(const DriveLetter&) = delete;
    DriveLetter& operator=(const DriveLetter&) = delete;

    // Listed among the drives, and its root leads to the folder.
    bool plugged() const
    {
        return (GetLogicalDrives() & (1u << (m_drive[0] - L'A'))) && QDir(root()).exists();
    }
    QString root() const { return QString::fromWCharArray(m_drive) + QLatin1Char('\\'); }

private:
    wchar_t m_drive[3] = {L'F', L':', 0};
    QString m_link;  // the link in Wine's dosdevices folder, under Wine
};

}  // namespace tq::test
#endif
