// The main window's safety net: the device copy of every complete read-back kept in the backups
// folder (files/backups.h), reachable from the last item of "File", and the lines of List1 that
// differ from the controller marked and counted (params/differences.h, app/list_marks.h).
#include "app/Form1.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QTimer>

#include "app/list_marks.h"
#include "files/backups.h"
#include "files/param_file.h"
#include "params/differences.h"
#include "ui/message_box.h"

namespace tq {

void Form1::installBackups()
{
    installDifferenceMarks(List1);
    askBackupPath = [this](const QString& folder) {
        QFileDialog dialog(this);
        dialog.setObjectName(QStringLiteral("DialogCopie"));
        dialog.setNameFilter(QString::fromLatin1(kParamFileFilter));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDirectory(folder);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().first();
    };
    connect(apricopia, &QAction::triggered, this, &Form1::apricopia_Click);
}

void Form1::apricopia_Click()
{
    const QString folder = backupFolder();
    // Before the first backup an empty dialog would only puzzle: say so instead.
    if (backupFiles(folder).isEmpty()) {
        ui::MsgBox(this, QString::fromLatin1(kNoBackups) + QDir::toNativeSeparators(folder), ui::MessageIcon::None,
                   ui::kErrorTitle);
        return;
    }
    const QString path = askBackupPath(folder);
    // Unlike "apri file", a cancelled choice is not an error.
    if (!path.isEmpty())
        openParamFile(path);
}

void Form1::showDifferences()
{
    const Differences differences = compareCopies(m_module);
    markDifferences(List1, m_module, differences);
    Differenze->setText(QString::fromLatin1(differencesCaption(m_module, differences)));
}

void Form1::menuTextsTaken(bool recordTaken)
{
    showDifferences();
    if (!recordTaken)
        return;
    const std::optional<BackupFailure> failure = backUpDeviceCopy(m_module, backupFolder(), QDateTime::currentDateTime());
    if (!failure)
        return;
    m_terminal.append(failure->terminalLine() + kCrLf);
    // In sight, once, with the reason; after the tick that took the texts, not inside it.
    QTimer::singleShot(0, this, [this, message = failure->message()] {
        ui::MsgBox(this, message, ui::MessageIcon::Warning, ui::kErrorTitle);
    });
}

}  // namespace tq
