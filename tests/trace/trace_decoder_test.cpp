// What the trace says a frame means. A wrong word here sends the engineer after the wrong fault:
// a record called correct whose CRC does not match, an answer called complete that is short, a
// control byte that breaks the saved line in two.
#include <gtest/gtest.h>

#include "trace/trace_decoder.h"

namespace tq {
namespace {

// 54 parameters 1..54 and their CRC-16 (0x1021, preset 0xFFFF), worked out by hand once:
// 0x41 0x4F.
std::string record(char crcHigh = '\x41', char crcLow = '\x4F')
{
    std::string r;
    for (int i = 1; i <= 54; ++i)
        r += static_cast<char>(i);
    return r + crcHigh + crcLow;
}

TEST(TraceDecoder, SentFrames)
{
    const std::string texts(120, 'A');
    const struct { std::string sent; std::string text; } cases[] = {
        {"H", "H lettura parametri"},
        {"J", "J lettura voci del menu"},
        {"L" + record() + texts, "L scrittura 177 byte, CRC 65-79 corretto"},
        {"L" + record('\0', '\0') + texts, "L scrittura 177 byte, CRC 0-0 errato (calcolato 65-79)"},
        {"L" + record(), "L scrittura 57 byte, incompleta (177 attesi)"},
        {"WVorela\r", "W salvataggio EEPROM"},
        {"Wvorela\r", "W salvataggio EEPROM, password errata"},
        {"WVorela", "W salvataggio EEPROM, password senza CR"},
        // A password that runs on without CR ends at its 17th byte: the rest are commands again.
        {"W0123456789ABCDEFGH", "W salvataggio EEPROM, password errata; H lettura parametri"},
        {std::string("!\x05\x00\x80\x00\x01", 6), "! prova uscite: 1 3 24 33"},
        {std::string("!\x00\x00\x00\x00\x00", 6), "! prova uscite: nessuna"},
        {"!\x01", "! prova uscite, incompleta"},
        {"z@YK&", "z ripeti inizializzazione; @ forza errore nella EEPROM; Y lettura fase uscite; "
                  "K lettura ingressi; & lettura passo memoria"},
        {"RS/yC", "R avvio simulazione, indirizzo dati (&H2000); S passo simulazione; "
                  "/ indirizzo cartelle (&H0001); y indirizzo lista file (&H1000); C rilettura chiave USB"},
        {"MN21E$", "M tasto Menu +; N tasto Menu -; 2 tasto freccia su; 1 tasto freccia gi\xF9; E tasto ENT; "
                   "$ tasto luce"},
        {"\rx", "0D non \xE8 un comando; 78 non \xE8 un comando"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(describeSent(c.sent), c.text) << c.sent;
}

TEST(TraceDecoder, TheAnswersFollowTheLastCommandSent)
{
    const struct { std::string sent; char request; } cases[] = {
        {"H", 'H'}, {"WVorela\r", 'W'}, {"KS", 'S'}, {std::string("!\0\0\0\0\0", 6), '!'}, {"", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lastCommand(c.sent), c.request) << c.sent;
}

TEST(TraceDecoder, AnswersInOneFrame)
{
    std::string texts;
    for (const char* t : {"SELEZIONA ", "CARTELLA  ", "PARTE     ", "NUOVA LETT", "DISCO     ", "TIPO----- ",
                          "TAGLIA--  ", "PARTE 2   ", "CARRO     ", "SCOLLO    ", "RANGHI    ", "CONTAPEZZI"})
        texts += t;
    std::string phases(32, '\0');
    phases[0] = 1;
    phases[31] = 2;
    const struct { char request; std::string answer; std::string text; } cases[] = {
        {'H', record(), "record di 56 byte, CRC 65-79 corretto"},
        {'H', record('\x41', '\x50'), "record di 56 byte, CRC 65-80 errato (calcolato 65-79)"},
        {'H', record() + "xyz", "record di 56 byte, CRC 65-79 corretto, e 3 byte in pi\xF9"},
        {'H', record().substr(0, 55), "risposta a H: 55 di 56 byte"},
        {'J', texts, "12 voci del menu: \"SELEZIONA \" \"CARTELLA  \" \"PARTE     \" \"NUOVA LETT\" \"DISCO     \" "
                     "\"TIPO----- \" \"TAGLIA--  \" \"PARTE 2   \" \"CARRO     \" \"SCOLLO    \" \"RANGHI    \" "
                     "\"CONTAPEZZI\""},
        {'J', texts.substr(0, 88), "risposta a J: 88 di 120 byte"},
        {'J', "\x01\n" + texts.substr(2), "12 voci del menu: \"\xB7\xB7LEZIONA \"" + std::string(" \"CARTELLA  \"")
                                               + " \"PARTE     \" \"NUOVA LETT\" \"DISCO     \" \"TIPO----- \" "
                                                 "\"TAGLIA--  \" \"PARTE 2   \" \"CARRO     \" \"SCOLLO    \" "
                                                 "\"RANGHI    \" \"CONTAPEZZI\""},
        {'Y', phases, "fasi uscite: 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 2"},
        {'K', "\x05", "stato ingressi 05: Mor.12(conteggio), Mor.14(reset macchina) ON"},
        {'K', "\x80", "stato ingressi 80: tutti OFF"},  // bit 7 is no input
        {'K', "\x7F\x01", "stato ingressi 7F: Mor.12(conteggio), Mor.13(cancella conteggio), Mor.14(reset macchina), "
                          "scheda(selettore lavoro), Mor.11(segnale power +24), Mor.13(selettore parametri), "
                          "Mor.15(ingresso libero) ON, e 1 byte in pi\xF9"},
        {'&', "D8192", "memoria AH= 2000 DH = 44 : D"},
        {'&', std::string("\x00" "1", 2), "memoria AH= 0001 DH = FF : \xFF"},
        {'&', "\n4096", "memoria AH= 1000 DH = 0A : \xB7"},
        {'R', std::string("\x01\x00\x00\x80", 4), "riga simulazione, uscite: 1 32"},
        {'S', std::string("\x00\x20\x00\x00\x00\x00", 6), "riga simulazione, uscite: 14"},
        {'S', std::string("\x00\x00\x00\x00", 4), "riga simulazione, uscite: nessuna"},
        {'S', std::string(13, '\0'), "riga di 13 byte, scartata (oltre 12)"},
        {'S', "ab", "riga simulazione incompleta: 2 byte"},
        {'!', std::string("\x03\x00\x00\x05\x09", 5), "uscite rilette: 3 0 0 5"},
        {'M', " 1 SELEZIONA\r\n", "testo per il terminale"},
        {0, "VDIP1 pronto", "testo per il terminale"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(describeAnswer(c.request, 0, {}, c.answer), c.text) << c.request << " " << c.answer;
}

// An answer that comes in several frames is decoded where it is complete; what comes after it
// is named as surplus, and a frame whose start is no longer known is not guessed at.
TEST(TraceDecoder, AnswersInSeveralFrames)
{
    const std::string r = record();
    const struct { char request; std::size_t offset; std::string earlier; std::string frame; std::string text; } cases[] = {
        {'H', 20, r.substr(0, 20), r.substr(20, 20), "risposta a H: 40 di 56 byte"},
        {'H', 40, r.substr(0, 40), r.substr(40), "record di 56 byte, CRC 65-79 corretto"},
        {'H', 40, r.substr(0, 40), r.substr(40) + "!", "record di 56 byte, CRC 65-79 corretto, e 1 byte in pi\xF9"},
        {'H', 56, r, "zz", "oltre la risposta a H: 2 byte"},
        {'H', 40, "", r.substr(40), "seguito della risposta a H: 16 byte"},  // its start was dropped
        {'&', 1, "D", "8192", "seguito della risposta a &: 4 byte"},
        {'S', 4, std::string(4, '\0'), std::string(4, '\0'), "seguito della risposta a S: 4 byte"},
        {'C', 10, "USB pronto", " chiave letta", "testo per il terminale"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(describeAnswer(c.request, c.offset, c.earlier, c.frame), c.text) << c.request << c.offset;
}

TEST(TraceDecoder, EveryCommandHasACaptionAndTheFilterListsEachOnce)
{
    const std::string_view codes = commandCodes();
    EXPECT_EQ(codes.size(), 21u);
    for (std::size_t i = 0; i < codes.size(); ++i) {
        EXPECT_EQ(codes.find(codes[i]), i) << codes[i];
        EXPECT_EQ(commandCaption(codes[i]).substr(0, 2), std::string(1, codes[i]) + " ");
        EXPECT_EQ(commandCaption(codes[i]).find("non \xE8 un comando"), std::string::npos);
    }
}

TEST(TraceDecoder, PrintableLatin1KeepsAccentsAndHidesControlBytes)
{
    EXPECT_EQ(printableLatin1(std::string("a\x00\x1F\x7F\x80\x9F\xA0\xE8\xFF", 9)), "a\xB7\xB7\xB7\xB7\xB7\xA0\xE8\xFF");
}

}  // namespace
}  // namespace tq
