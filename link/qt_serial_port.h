#pragma once
// The real serial line, on QSerialPort. It opens a system location (a device such as
// /dev/ttyUSB0, a pseudo-terminal, or a Windows COM name) at 9600 8N1 without flow control and
// passes the bytes 0-255 through unchanged. A port number is resolved through the list that
// discovery built.

#include <QSerialPort>

#include <vector>

#include "link/port_discovery.h"
#include "link/serial_port.h"

namespace tq {

class QtSerialPort : public SerialPort {
    Q_OBJECT
public:
    explicit QtSerialPort(std::vector<PortEntry> ports = {}, QObject* parent = nullptr);
    ~QtSerialPort() override;

    // Picks the entry with this number; a number that is not listed opens "COM<n>".
    void setPortNumber(std::uint8_t number) override;
    // Opens this location at the next opens, whatever port number is set (a pseudo-terminal).
    void setSystemLocation(const QString& location);
    QString systemLocation() const { return m_location; }

    // The error text is Italian, for the message box.
    bool open(QString* error) override;
    void close() override;
    bool isOpen() const override;

    void write(std::string_view bytes) override;
    int bytesWaiting() override;
    std::string takeAll() override;
    void take(char* into, std::size_t size) override;
    void discardAll() override;
    // QSerialPort's readyRead.
    bool announcesArrivals() const override { return true; }

private:
    void onError(QSerialPort::SerialPortError error);
    void lose(const QString& reason);

    std::vector<PortEntry> m_ports;
    QString m_location;
    bool m_fixedLocation = false;
    QSerialPort m_port;
    bool m_lost = false;
};

// Why the port at this location did not open, in the user's words.
QString openErrorText(QSerialPort::SerialPortError error, const QString& location);

}  // namespace tq
