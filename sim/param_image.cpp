#include "sim/param_image.h"

#include <algorithm>

#include "params/crc.h"

namespace tq::sim {

std::string ParamImage::bytes() const
{
    std::string out(record.begin(), record.end());
    out += texts;
    return out;
}

ParamImage ParamImage::fromBytes(std::string_view bytes)
{
    ParamImage image;
    std::copy_n(bytes.begin(), kDeviceRecordSize, image.record.begin());
    image.texts = std::string(bytes.substr(kDeviceRecordSize, kTextBlockSize));
    return image;
}

bool ParamImage::crcMatches() const
{
    const std::uint16_t crc = crc16(record.data(), kParamCount);
    return record[kCrcHigh] == (crc >> 8) && record[kCrcLow] == (crc & 0xFF);
}

void ParamImage::sealCrc()
{
    const std::uint16_t crc = crc16(record.data(), kParamCount);
    record[kCrcHigh] = static_cast<std::uint8_t>(crc >> 8);
    record[kCrcLow] = static_cast<std::uint8_t>(crc & 0xFF);
}

int ParamImage::boards() const
{
    return channelCountFor(boardsByte()) / 8;
}

namespace {

constexpr std::uint8_t kPhaseZero = 64;
constexpr std::uint8_t kPulse = 128;

// Parameter number (1..54) and its byte; every parameter not listed is 0 (not assigned).
struct Preset {
    int number;
    std::uint8_t value;
};

constexpr Preset kFactoryPresets[] = {
    {1, 0},                       // count starts on the left
    {2, 1},                       // pneumatic striper
    {3, 0},                       // normal frame
    {4, 2 + kOutputProtection},   // two boards, outputs protected
    {7, 1},  {8, 2},  {9, 3},  {10, 4},           // Scollo +1 -1 +2 -2
    {11, 5}, {12, 6},                             // Rientro 1, Rientro -1
    {15, 7 + kPhaseZero}, {16, 8 + kPhaseZero},   // Calato 1, 2: with the count reset
    {17, 9},                                      // Aumentazione
    {18, 10 + kPulse},                            // Segnacentro: a 500 ms pulse
    {19, 11}, {20, 12}, {21, 13},                 // Rigato 1-3
    {27, 14}, {28, 14},                           // both combs on one output
    {48, 15 + kPulse},                            // Stop
    {52, 16 + kPulse},                            // Fine
};

constexpr const char* kFactoryTexts[kDeviceMenuTexts] = {
    "SELEZIONA ", "CARTELLA  ", "PARTE     ", "NUOVA LETT", "DISCO     ", "TIPO -----",
    "TAGLIA -- ", "PEZZO     ", "CARRO     ", "SCOLLO    ", "RANGHI    ", "CONTAPEZZI",
};

}  // namespace

ParamImage factorySetup()
{
    ParamImage image;
    for (const Preset& p : kFactoryPresets)
        image.record[p.number - 1] = p.value;
    image.sealCrc();
    image.texts.clear();
    for (const char* text : kFactoryTexts)
        image.texts += text;
    return image;
}

}  // namespace tq::sim
