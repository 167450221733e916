#pragma once
// The verify-before-commit cycle with the controller: the working copy goes out with "L", comes
// back through a read-back ("H" then "J", see commands.h and the receive engine), and is stored
// in the controller's EEPROM with "W" and the password only when the working copy and the
// device copy agree byte for byte and text for text. Nothing here waits for an answer.

#include <functional>
#include <string>

#include "link/commands.h"

namespace tq {

// The refusals of the EEPROM commit (shown with the stop icon under "ERRORE"), and its report.
inline constexpr const char* kParamsDifferText =
    " Operazione annullata :I parametri del buffer non sono uguali a quelli del TQ310 ";
inline constexpr const char* kTextsDifferText =
    " Operazione annullata : i parametri della lingua sono diversi  dal TQ310 ";
inline constexpr const char* kSavedInEepromText = "Parametri salvati in EEPROM";

// AlTq310 "Trafferisci parametri nel TQ310": three writes, "L", the 56-byte record with the
// working copy's fresh CRC, and the 120 bytes of menu texts 0-11 each fitted to 10 characters.
// The terminal lists the record as "1 [v]" ... "56 [crc low]". showFileCrc gets Label5's
// caption as soon as the CRC is computed. The controller does not answer, so the receive mode
// and the timer stay as they are.
void writeWorkingCopy(const LinkContext& ctx, const std::function<void(const std::string&)>& showFileCrc);

// The outcome of the commit's two comparisons: the first one that failed, if any.
enum class CommitCheck { Agree, ParamsDiffer, TextsDiffer };

// The commit's comparisons without the commit: the whole records (CRC and spare byte included),
// then all 21 menu-text slots, each pair shown in the terminal in turn (the last pair stays).
// The texts are not compared when the records differ.
CommitCheck compareForCommit(const LinkContext& ctx);

// Weeprom "Salva parametri  nella EEPROM": the comparisons above; only when both agree it sends
// "W", "Vorela" and CR and reports it in the terminal. Otherwise nothing has been sent.
CommitCheck commitToEeprom(const LinkContext& ctx);

// The message box's text for a comparison that failed; nullptr for Agree.
const char* commitRefusalText(CommitCheck check);

}  // namespace tq
