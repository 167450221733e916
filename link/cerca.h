#pragma once
// The port chooser: the serial lines found at start-up (built once per run), and the way to
// work without the controller. Choosing an entry derives the port number from its name by the
// digit rule and hands over to the main window.

#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

#include "link/port_discovery.h"

class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace tq {

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

    QListWidget* List1 = nullptr;
    QPushButton* Command2 = nullptr;

signals:
    // A port number from the digit rule; 0 means no connection.
    void portChosen(std::uint8_t number);
    void withoutConnection();
    // The user closed the chooser, or the main window unloaded it: the program ends.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::vector<PortEntry> m_entries;
    QString m_discoveryError;
};

}  // namespace tq
