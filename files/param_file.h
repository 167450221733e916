#pragma once
// The parameter file (.ini): the version line, parameters 1..54 one per line as decimal numbers,
// then the menu texts, every line ended by CR LF.

#include <QString>

class QIODevice;

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "params/module1.h"

namespace tq {

inline constexpr const char* kFileVersion = "122013";
inline constexpr const char* kOpenFailure = "Errore nel  file oppure  file non trovato  ";
inline constexpr const char* kWrongVersion = "  (VERSIONE DEL FILE NON CORRETTA)";
inline constexpr const char* kNoFileOpen = "Non  \xE8 aperto alcun file ,fai salva con nome per aprirne uno";
// A plain save that could not write: the old file, if any, is left as it was.
inline constexpr const char* kSaveFailed = "Errore nella scrittura: il file NON \xE8 stato salvato  ";
inline constexpr int kSavedTexts = 12;
// The one entry of the file dialogs' filter.
inline constexpr const char* kParamFileFilter = "File di inizializzazione(*.ini)";

// The number at the start of a parameter line (leading blanks ignored, no number reads as 0),
// taken to the nearest integer with a half going to the even neighbour; nothing outside 0..255.
std::optional<std::uint8_t> parameterValue(std::string_view line);

// Opens a parameter file into the working copy. CurrentFileName takes the path before the file
// is touched. Returns the message of a failure, nothing on success. A failure keeps what was
// already stored; the CRC bytes are left to the list refresh that follows a success.
std::optional<std::string> readParamFile(Module1& m, const QString& path);
// The same from a device opened for reading; CurrentFileName is left alone.
std::optional<std::string> readParamFile(Module1& m, QIODevice& device);

// The 67 lines of a save: the version, the 54 parameters, menu texts 0..11 exactly as held.
std::string paramFileContent(const ParamRecord& params, const MenuTexts& texts);
// The working copy's file, as "salva" writes it.
std::string paramFileContent(const Module1& m);

}  // namespace tq
