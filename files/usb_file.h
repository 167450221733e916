#pragma once
// CONTQ310.BIN, the configuration the controller loads from the folder tq310 of a USB key: one
// line of 366 bytes, the 56-byte record and the 120-byte menu-text block in hexadecimal.

#include <QString>

#include <string>

#include "params/module1.h"

namespace tq {

inline constexpr int kUsbFileSize = 366;

// The text of the compiler window before a write: 14 lines joined by CR LF.
std::string usbInstructions();

// Where the file goes on the key whose root was detected: <root>/tq310/contq310.bin.
QString usbTargetPath(const QString& root);

struct UsbFile {
    std::string content;    // ">$$>", 56 hex pairs, 120 hex pairs, "<$$<<$$<", CR LF
    QString log;            // what the window shows before the file is opened
    std::string crcCaption; // the working copy's CRC caption, recomputed for the write
};

// Recomputes the CRC of the working copy, then builds the file and its log for the given path.
UsbFile compileUsbFile(Module1& m, const QString& path);

// Appended to the log when the file cannot be written.
inline constexpr const char* kUsbWriteError =
    " ERRORE NELLA SCRITTURA\r\nForse la chiave usb non contiene la cartella TQ310";

}  // namespace tq
