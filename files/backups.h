#pragma once
// Backups of the controller's set-up. Every complete read-back leaves the device copy in the
// backups folder as a parameter file, so that a set-up overwritten by mistake can be opened,
// written and committed again. The folder holds the newest 500; a backup is never overwritten.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>

#include "params/module1.h"

namespace tq {

inline constexpr int kKeptBackups = 500;
// The terminal line of a backup that could not be stored, followed by the folder.
inline constexpr const char* kBackupFailed = "Copia di sicurezza NON salvata in ";
// "apri copia di sicurezza" before the first backup, followed by the folder.
inline constexpr const char* kNoBackups = "Nessuna copia di sicurezza in ";

// Why a backup was not stored.
struct BackupFailure {
    QString folder;  // with the system's separators
    QString reason;  // the system's words

    // kBackupFailed and the folder, for the terminal (Latin-1).
    std::string terminalLine() const;
    // The same and the reason, for a message box: "... in /home/x/backups (Permission denied)".
    QString message() const;
};

// $TQ310_BACKUPS when set, otherwise <generic data folder>/tq310-test/backups
// (~/.local/share/tq310-test/backups on Linux).
QString backupFolder();

// Makes the backups folder (0700) when it is not there; what failed, nothing when it is there.
std::optional<BackupFailure> makeBackupFolder(const QString& folder);

// The backups in the folder by their names, oldest first. Only names of the form the store gives
// count: anything else in the folder is neither listed nor ever removed.
QStringList backupFiles(const QString& folder);

// Stores the device copy (ChipParams, ChipMenuTexts) as the newest backup, taken at `when`: the
// bytes "salva" writes for those values, through a temporary file, named
// yyyyMMdd-HHmmss-<CRC high>-<CRC low>.ini after the local time and the device CRC caption
// ("20261206-153012-251-88.ini"; "-2", "-3" ... before ".ini" when that name is taken).
// Nothing is written when the newest backup holds the same bytes. Beyond `keep` backups the
// oldest are removed. The backups are the user's alone: the folder is made 0700, the files 0600,
// whatever the umask. Returns what failed (the folder cannot be made, the file cannot be
// written), nothing when the backup is stored or was already there; then `path`, when given, is
// the file that holds it.
std::optional<BackupFailure> backUpDeviceCopy(const Module1& m, const QString& folder, const QDateTime& when,
                                              int keep = kKeptBackups, QString* path = nullptr);

}  // namespace tq
