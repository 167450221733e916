// CONTQ310.BIN: the 366 bytes, the log of a write and the text of the compiler window.
#include <gtest/gtest.h>

#include "files/usb_file.h"

namespace tq {
namespace {

std::string repeat(const std::string& piece, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

TEST(UsbFile, StartUpStateGolden)
{
    Module1 m;
    const UsbFile f = compileUsbFile(m, QStringLiteral("/media/usb0/tq310/contq310.bin"));
    const std::string expected = ">$$>" + std::string(108, '0') + "6647" + repeat("20", 120) + "<$$<<$$<\r\n";
    EXPECT_EQ(f.content, expected);
    EXPECT_EQ(f.content.size(), 366u);
    EXPECT_EQ(m.FileParams[54], 102);
    EXPECT_EQ(m.FileParams[55], 71);
    EXPECT_EQ(f.crcCaption, "102-71 File");
    EXPECT_EQ(f.log.toStdString(),
              " Apro il file /media/usb0/tq310/contq310.bin\r\n"
              " calcolo crc = 102 - 71\r\n"
              " Scritti 54 parametri di configurazione + 2 per CRC nel disco usb\r\n"
              " Scritte 12 stringhe definizioni lingua  nel disco usb\r\n"
              "\r\n"
              " OPERAZIONE COMPLETATA !!");
}

TEST(UsbFile, ValuesAndTextsInHexadecimal)
{
    const struct {
        const char* name;
        int param;            // index set to value, -1 for none
        std::uint8_t value;
        int text;             // slot set to the text, -1 for none
        std::string textValue;
        std::size_t offset;   // where the expected pairs start
        std::string pairs;
    } cases[] = {
        {"10", 0, 10, -1, "", 4, "0A"},
        {"255", 53, 255, -1, "", 4 + 53 * 2, "FF"},
        {"AB", -1, 0, 0, "AB", 116, "4142" + repeat("20", 8)},
        {"twelve characters", -1, 0, 3, "ABCDEFGHIJKL", 116 + 3 * 20, "4142434445464748494A" "4142"},
        {"code 0xE0", -1, 0, 11, "\xE0", 116 + 11 * 20, "E0" + repeat("20", 9) + "<$$<"},
    };
    for (const auto& c : cases) {
        Module1 m;
        if (c.param >= 0)
            m.FileParams[c.param] = c.value;
        if (c.text >= 0)
            m.FileMenuTexts[c.text] = c.textValue;
        if (c.text == 3)
            m.FileMenuTexts[4] = "AB";  // the piece after a cut text starts at its own slot
        const UsbFile f = compileUsbFile(m, QStringLiteral("x"));
        ASSERT_EQ(f.content.size(), 366u) << c.name;
        EXPECT_EQ(f.content.substr(c.offset, c.pairs.size()), c.pairs) << c.name;
    }
}

TEST(UsbFile, CrcIsRecomputedAndSlotsBeyondElevenAreNotWritten)
{
    Module1 m;
    m.FileParams[0] = 1;
    m.FileParams[54] = 0;  // stale CRC bytes
    m.FileParams[55] = 0;
    m.FileMenuTexts[12] = "NOT WRITTEN";
    const UsbFile f = compileUsbFile(m, QStringLiteral("F:/tq310/contq310.bin"));
    EXPECT_EQ(f.content.substr(4, 2), "01");
    EXPECT_EQ(f.content.substr(112, 4), "FA20");
    EXPECT_EQ(f.content.substr(116, 240), repeat("20", 120));
    EXPECT_EQ(f.crcCaption, "250-32 File");
    EXPECT_NE(f.log.indexOf(QLatin1String(" calcolo crc = 250 - 32\r\n")), -1);
}

TEST(UsbFile, InstructionsAreFourteenLines)
{
    EXPECT_EQ(usbInstructions(),
              "PROCEDURA PER LA PREPARAZIONE DELLA CONFIGURAZIONE:\r\n"
              "\r\n"
              " Inserire una chiave usb valida per TQ310,attendere che\r\n"
              " venga visualizzata la lettera assegnata poi confermare.\r\n"
              " Verra preparato un file CONTQ310.BIN pronto per essere letto dal TQ310\r\n"
              "\r\n"
              " NOTA: se la chiave era gia inserita deve essere tolta e poi reinserita\r\n"
              "       Se esiste gia un file  verra sovrascritto  senza condizioni\r\n"
              "\r\n"
              "Sul TQ310 si deve inserire la chiave usb  poi premere l'apposito pulsante per caricare \r\n"
              " la nuova configurazione.\r\n"
              "\r\n"
              "Il file di configurazione permane nella memoria del TQ310,qualora dovesse verificarsi\r\n"
              "una perdita di dati il sistema richedera automaticamente un aggiornamento ");
}

TEST(UsbFile, TargetPathUnderTheRoot)
{
    const struct { const char* root; const char* path; } cases[] = {
        {"/media/usb0", "/media/usb0/tq310/contq310.bin"},
        {"/", "/tq310/contq310.bin"},
        {"F:/", "F:/tq310/contq310.bin"},
        {"F:\\", "F:\\tq310/contq310.bin"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(usbTargetPath(QString::fromLatin1(c.root)), QString::fromLatin1(c.path));
}

}  // namespace
}  // namespace tq
