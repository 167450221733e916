#include "files/usb_file.h"

#include <iterator>

#include "params/crc.h"

namespace tq {

namespace {

void appendHex(std::string& out, unsigned char byte)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    out += digits[byte >> 4];
    out += digits[byte & 15];
}

}  // namespace

std::string usbInstructions()
{
    static constexpr const char* lines[] = {
        "PROCEDURA PER LA PREPARAZIONE DELLA CONFIGURAZIONE:",
        "",
        " Inserire una chiave usb valida per TQ310,attendere che",
        " venga visualizzata la lettera assegnata poi confermare.",
        " Verra preparato un file CONTQ310.BIN pronto per essere letto dal TQ310",
        "",
        " NOTA: se la chiave era gia inserita deve essere tolta e poi reinserita",
        "       Se esiste gia un file  verra sovrascritto  senza condizioni",
        "",
        "Sul TQ310 si deve inserire la chiave usb  poi premere l'apposito pulsante per caricare ",
        " la nuova configurazione.",
        "",
        "Il file di configurazione permane nella memoria del TQ310,qualora dovesse verificarsi",
        "una perdita di dati il sistema richedera automaticamente un aggiornamento ",
    };
    std::string text;
    for (std::size_t i = 0; i < std::size(lines); ++i)
        text += (i ? std::string("\r\n") : std::string()) + lines[i];
    return text;
}

QString usbTargetPath(const QString& root)
{
    // A drive letter's root, F:\ for instance, gets the path as that system writes it.
    if (root.endsWith(QLatin1Char('\\')))
        return root + QLatin1String("tq310\\contq310.bin");
    const bool separated = root.endsWith(QLatin1Char('/'));
    return root + (separated ? QLatin1String("") : QLatin1String("/")) + QLatin1String("tq310/contq310.bin");
}

UsbFile compileUsbFile(Module1& m, const QString& path)
{
    UsbFile file;
    file.crcCaption = Crcgen(m.FileParams);
    file.log = QLatin1String(" Apro il file ") + path + QLatin1String("\r\n")
        + QString::fromLatin1(" calcolo crc = %1 - %2\r\n").arg(m.FileParams[kCrcHigh]).arg(m.FileParams[kCrcLow])
        + QLatin1String(" Scritti 54 parametri di configurazione + 2 per CRC nel disco usb\r\n")
        + QString::fromLatin1(" Scritte %1 stringhe definizioni lingua  nel disco usb\r\n\r\n").arg(kDeviceMenuTexts)
        + QLatin1String(" OPERAZIONE COMPLETATA !!");

    std::string& out = file.content;
    out.reserve(kUsbFileSize);
    out = ">$$>";
    for (int i = 0; i < kDeviceRecordSize; ++i)
        appendHex(out, m.FileParams[i]);
    for (char c : menuTextBlock(m.FileMenuTexts))
        appendHex(out, static_cast<unsigned char>(c));
    out += "<$$<<$$<\r\n";
    return file;
}

}  // namespace tq
