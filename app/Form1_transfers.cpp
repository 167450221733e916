// The transfers between the working copy and the controller, the EEPROM commit, and the menu
// list and output-phase queries. The logic is in operations/transfers.h and link/commands.h;
// this file wires the menu items and shows the commit's refusals.
#include "app/Form1.h"

#include <QAction>

#include "operations/transfers.h"
#include "ui/message_box.h"

namespace tq {

void Form1::installTransfers()
{
    connectToController(daltq310, &QAction::triggered, [](const LinkContext& c) { sendReadBack(c, false); });
    connectToController(ChipBuffer, &QAction::triggered, [](const LinkContext& c) { sendReadBack(c, true); });
    connectToController(AlTq310, &QAction::triggered, [this](const LinkContext& c) {
        writeWorkingCopy(c, [this](const std::string& caption) { showFileCrc(caption); });
    });
    connectToController(Weeprom, &QAction::triggered, [this](const LinkContext& c) {
        if (const char* refusal = commitRefusalText(commitToEeprom(c)))
            ui::MsgBox(this, refusal, ui::MessageIcon::Critical, ui::kErrorTitle);
    });
    connectToController(RipIni, &QAction::triggered, sendRepeatInit);
    connectToController(ErrEEprom, &QAction::triggered, sendForceEepromError);
    connectToController(VMenu, &QAction::triggered, sendMenuListRequest);
    connectToController(LPFU, &QAction::triggered, sendPhaseRequest);
}

}  // namespace tq
