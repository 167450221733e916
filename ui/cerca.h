#pragma once
// The port chooser: the serial lines found at start-up (built once per run), and the way to
// work without the controller. Choosing an entry derives the port number from its name by the
// digit rule and hands over to the main window.
//
// Keyboard: the list has the focus when the chooser opens, its first entry highlighted; the
// arrow keys move the highlight (and select) without connecting (connecting opens a port, which must not happen
// on the way to another entry); Enter connects the highlighted entry as a click on it does. Tab
// reaches "Lavore senza nessuna connessione", which Space or Enter press.

#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

#include "link/port_discovery.h"

class QListWidgetItem;
class QPushButton;

namespace tq {

namespace ui {
class ChoiceList;
}

class cerca : public QWidget {
    Q_OBJECT
public:
    // Loading the window scans the ports (GetSerialPortNames, or the given discoverer).
    explicit cerca(const std::function<PortDiscovery()>& discover, QWidget* parent = nullptr);

    const std::vector<PortEntry>& entries() const { return m_entries; }
    // Not empty when the system's list of serial devices could not be read.
    const QString& discoveryError() const { return m_discoveryError; }
    // The message box that says so; nothing when discovery worked.
    void reportDiscoveryError();

    void List1_Click(QListWidgetItem* item);
    void Command2_Click();

    ui::ChoiceList* List1 = nullptr;
    QPushButton* Command2 = nullptr;

signals:
    // A port number from the digit rule; 0 means no connection.
    void portChosen(std::uint8_t number);
    void withoutConnection();
    // The user closed the chooser, or the main window unloaded it: the program ends.
    void unloaded();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    std::vector<PortEntry> m_entries;
    QString m_discoveryError;
};

}  // namespace tq
