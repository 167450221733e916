#pragma once
// What the tool relies on from a serial line to the controller. Backends: the real serial port
// (QSerialPort, opened by system location), the in-process simulated controller, and the
// scripted port of the tests.

#include <QObject>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tq {

class SerialPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Takes effect at the next open.
    virtual void setPortNumber(std::uint8_t number) = 0;
    // 9600 baud, no parity, 8 data bits, 1 stop bit. On failure returns false and says why.
    virtual bool open(QString* error) = 0;
    // The same open without waiting for the line: openFinished follows from the event loop,
    // never inside this call. A line that opens at once (a device) opens here and reports next;
    // a network line meanwhile connects, so that one program can open many at the same time.
    virtual void startOpen()
    {
        QString error;
        const bool opened = open(&error);
        QMetaObject::invokeMethod(this, [this, opened, error] { emit openFinished(opened, error); }, Qt::QueuedConnection);
    }
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Every character goes out as one byte of the same code, in call order; never waits.
    virtual void write(std::string_view bytes) = 0;
    // Received bytes not yet taken.
    virtual int bytesWaiting() = 0;
    // Everything received so far, as one byte string; empties the receive buffer.
    virtual std::string takeAll() = 0;
    // Moves the oldest `size` received bytes (at most bytesWaiting()) into `into`, straight from
    // the receive buffer; the others stay waiting.
    virtual void take(char* into, std::size_t size) = 0;
    // Empties the receive buffer ("set the waiting-byte count to 0").
    virtual void discardAll() = 0;
    // Emits bytesArrived whenever bytes come in: nobody need ask while it is silent.
    virtual bool announcesArrivals() const { return false; }

signals:
    // The end of startOpen: the line is open, or it is not and `error` says why.
    void openFinished(bool opened, const QString& error);
    // The line is gone while open (adapter pulled, read or write error). Emitted once.
    void deviceLost(const QString& reason);
    // Bytes have come in and wait to be taken. Only a backend with a line of its own emits it
    // (the real serial port), and says so (announcesArrivals); the others are asked, never heard
    // from.
    void bytesArrived();
};

}  // namespace tq
