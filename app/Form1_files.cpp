#include "app/Form1.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>

#include "files/param_file.h"
#include "files/save_bytes.h"
#include "ui/message_box.h"
#include "ui/secondary_window.h"

namespace tq {

QFileDialog* Form1::fileDialog()
{
    if (m_fileDialog)
        return m_fileDialog;
    // No title, initial folder or default suffix: a name typed without ".ini" is used as typed.
    m_fileDialog = new QFileDialog(this);
    m_fileDialog->setObjectName(QStringLiteral("Dialog1"));
    m_fileDialog->setNameFilter(QString::fromLatin1(kParamFileFilter));
    m_fileDialog->setFileMode(QFileDialog::AnyFile);  // the file to open need not exist
    // It opens where the program started, as it did when it was built at start-up, not where
    // another file dialog was last.
    m_fileDialog->setDirectory(m_startFolder);
    return m_fileDialog;
}

void Form1::installFiles()
{
    m_startFolder = QDir::currentPath();
    askPath = [this](bool save) {
        QFileDialog* Dialog1 = fileDialog();
        Dialog1->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        Dialog1->setOption(QFileDialog::DontConfirmOverwrite, !save);
        if (Dialog1->exec() != QDialog::Accepted || Dialog1->selectedFiles().isEmpty())
            return QString();
        return Dialog1->selectedFiles().first();
    };

    connect(aprif, &QAction::triggered, this, &Form1::aprif_Click);
    connect(salvafile, &QAction::triggered, this, &Form1::salvafile_Click);
    connect(salvaas, &QAction::triggered, this, &Form1::salvaas_Click);
    connect(ParUsb, &QAction::triggered, this, &Form1::ParUsb_Click);
}

void Form1::aprif_Click()
{
    const QString path = askPath(false);
    if (path.isEmpty()) {
        ui::MsgBox(this, kOpenFailure, ui::MessageIcon::Warning, ui::kErrorTitle);
        return;
    }
    openParamFile(path);
}

void Form1::openParamFile(const QString& path)
{
    if (const std::optional<std::string> failure = readParamFile(m_module, path)) {
        // The list and the CRC captions keep showing the state before the Open.
        ui::MsgBox(this, *failure, ui::MessageIcon::Warning, ui::kErrorTitle);
        return;
    }
    ListInit();
    ParUsb->setEnabled(true);
}

void Form1::salvafile_Click()
{
    if (m_module.CurrentFileName.empty()) {
        ui::MsgBox(this, kNoFileOpen, ui::MessageIcon::None, ui::kErrorTitle);
        return;
    }
    const QString path = currentFilePath();
    // The path as the system names it, whatever its characters.
    if (saveBytes(path, paramFileContent(m_module)) != SaveStatus::Saved)
        ui::MsgBox(this, QString::fromLatin1(kSaveFailed) + QDir::toNativeSeparators(path), ui::MessageIcon::Warning,
                   ui::kErrorTitle);
}

void Form1::salvaas_Click()
{
    const QString path = askPath(true);
    if (path.isEmpty())
        return;
    m_module.CurrentFileName = QFile::encodeName(path).toStdString();
    // Failures after the dialog are silent; the caption changes once the file could be opened.
    if (saveBytes(path, paramFileContent(m_module)) != SaveStatus::OpenFailed)
        Label1->setText(QDir::toNativeSeparators(path));
}

TrovaUsb& Form1::usbCompiler()
{
    if (!m_trovaUsb) {
        m_trovaUsb = std::make_unique<TrovaUsb>(m_module, [this](const std::string& caption) { showFileCrc(caption); });
    }
    return *m_trovaUsb;
}

void Form1::ParUsb_Click()
{
    TrovaUsb& window = usbCompiler();
    window.Form_Load();
    ui::openSecondary(&window, this);
}

}  // namespace tq
