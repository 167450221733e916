#pragma once
// TrovaUsb, the compiler of CONTQ310.BIN: it waits for a USB key to be plugged in, shows where
// the file will go, and on "Procedi" writes the working copy there, logging each step.

#include <QWidget>

#include <functional>
#include <string>

#include "files/drive_detect.h"
#include "params/module1.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace tq {

class TrovaUsb : public QWidget {
    Q_OBJECT
public:
    // showFileCrc shows the working copy's CRC caption in the main window: a write recomputes it.
    TrovaUsb(Module1& module, std::function<void(const std::string&)> showFileCrc);

    // The mounted volumes by default; tests feed their own lists of roots.
    void setDriveSource(DriveSource source) { m_drives = std::move(source); }

    // Every opening: the instructions, no target yet, detection running.
    void Form_Load();
    void Timer1_Timer();     // one detection tick
    void Command1_Click();   // "Procedi": write the file

    const QStringList& KnownDrives() const { return m_detector.KnownDrives; }

    QPlainTextEdit* Text1 = nullptr;
    QLabel* Label1 = nullptr;       // the target path, empty while no key was found
    QPushButton* Command2 = nullptr;  // "Uscita"
    QPushButton* Command1 = nullptr;  // "Procedi"
    QTimer* Timer1 = nullptr;

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void setText(const QString& crlfText);

    Module1& m_module;
    std::function<void(const std::string&)> m_showFileCrc;
    DriveSource m_drives = mountedRoots;
    DriveDetector m_detector;  // outlives every closing: its KnownDrives serve the next opening
};

}  // namespace tq
