#include "files/backups.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <tuple>
#include <vector>

#include "files/param_file.h"
#include "files/save_bytes.h"

namespace tq {

namespace {

// "20261206-153012-251-88.ini", or "20261206-153012-251-88-2.ini" for the second of that second.
const QRegularExpression& backupPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{8}-\\d{6})-\\d{1,3}-\\d{1,3}(?:-(\\d{1,9}))?\\.ini$"));
    return pattern;
}

struct Entry {
    QString stamp;  // fixed width: ordered as text, it is ordered in time
    int sequence;
    QString name;
};

std::vector<Entry> entries(const QString& folder)
{
    std::vector<Entry> out;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = backupPattern().match(name);
        if (match.hasMatch())
            out.push_back({match.captured(1), match.hasCaptured(2) ? match.captured(2).toInt() : 1, name});
    }
    std::sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) {
        return std::tie(a.stamp, a.sequence, a.name) < std::tie(b.stamp, b.sequence, b.name);
    });
    return out;
}

// Whether the file holds exactly these bytes; a larger file is not read beyond one byte more.
bool holds(const QString& path, const std::string& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(qint64(bytes.size()) + 1) == QByteArray::fromStdString(bytes);
}

// Within one second the sequence orders the backups, whatever their CRCs: one more than the
// last of that second, none for the first.
QString nameFor(const QDateTime& when, const ParamRecord& chip, const std::vector<Entry>& existing)
{
    const QString stamp = when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = stamp + QStringLiteral("-%1-%2").arg(chip[kCrcHigh]).arg(chip[kCrcLow]);
    int last = 0;
    for (const Entry& e : existing)
        if (e.stamp == stamp)
            last = std::max(last, e.sequence);
    if (last > 0)
        name += QStringLiteral("-%1").arg(last + 1);
    return name + QStringLiteral(".ini");
}

}  // namespace

QString backupFolder()
{
    const QString overridden = qEnvironmentVariable("TQ310_BACKUPS");
    if (!overridden.isEmpty())
        return QDir::cleanPath(overridden);
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/tq310-test/backups");
}

QStringList backupFiles(const QString& folder)
{
    QStringList names;
    for (const Entry& e : entries(folder))
        names << e.name;
    return names;
}

std::string BackupFailure::terminalLine() const
{
    return kBackupFailed + folder.toLatin1().toStdString();
}

QString BackupFailure::message() const
{
    return QString::fromLatin1(kBackupFailed) + folder + QStringLiteral(" (") + reason + QLatin1Char(')');
}

std::optional<BackupFailure> makeBackupFolder(const QString& folder)
{
    if (QDir(folder).exists())
        return std::nullopt;
    if (!QDir().mkpath(folder))
        return BackupFailure{QDir::toNativeSeparators(folder), qt_error_string(errno)};
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return std::nullopt;
}

std::optional<BackupFailure> backUpDeviceCopy(const Module1& m, const QString& folder, const QDateTime& when, int keep,
                                              QString* path)
{
    if (std::optional<BackupFailure> failure = makeBackupFolder(folder))
        return failure;
    const QDir dir(folder);
    const std::string content = paramFileContent(m.ChipParams, m.ChipMenuTexts);
    std::vector<Entry> kept = entries(folder);
    QString file = kept.empty() ? QString() : dir.filePath(kept.back().name);
    if (file.isEmpty() || !holds(file, content)) {
        file = dir.filePath(nameFor(when, m.ChipParams, kept));
        QString reason;
        if (saveBytes(file, content, &reason, FileAccess::OwnerOnly) != SaveStatus::Saved)
            return BackupFailure{QDir::toNativeSeparators(folder), reason};
        // A backup whose removal fails stays; the next store tries again.
        kept = entries(folder);
        for (std::size_t i = 0; i + std::size_t(std::max(keep, 0)) < kept.size(); ++i)
            QFile::remove(dir.filePath(kept[i].name));
    }
    if (path)
        *path = file;
    return std::nullopt;
}

}  // namespace tq
