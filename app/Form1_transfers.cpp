// The transfers between the working copy and the controller, the EEPROM commit, and the menu
// list and output-phase queries. The logic is in operations/transfers.h and link/commands.h;
// this file wires the menu items and shows the commit's refusals.
#include "app/Form1.h"

#include <QAction>
#include <QLabel>

#include "operations/transfers.h"
#include "ui/message_box.h"

namespace tq {

void Form1::installTransfers()
{
    // The menus are disabled while unconnected, but a menu item can still be triggered from
    // code: without a port there is nothing to send.
    const auto wire = [this](QAction* item, void (Form1::*handler)()) {
        connect(item, &QAction::triggered, this, [this, handler] {
            if (isConnected())
                (this->*handler)();
        });
    };
    wire(daltq310, &Form1::daltq310_Click);
    wire(ChipBuffer, &Form1::ChipBuffer_Click);
    wire(AlTq310, &Form1::AlTq310_Click);
    wire(Weeprom, &Form1::Weeprom_Click);
    wire(RipIni, &Form1::RipIni_Click);
    wire(ErrEEprom, &Form1::ErrEEprom_Click);
    wire(VMenu, &Form1::VMenu_Click);
    wire(LPFU, &Form1::LPFU_Click);
}

void Form1::daltq310_Click()
{
    sendReadBack(link(), false);
}

void Form1::ChipBuffer_Click()
{
    sendReadBack(link(), true);
}

void Form1::AlTq310_Click()
{
    writeWorkingCopy(link(), [this](const std::string& caption) { Label5->setText(QString::fromLatin1(caption)); });
}

void Form1::Weeprom_Click()
{
    if (const std::optional<std::string> refusal = commitToEeprom(link()))
        ui::MsgBox(this, *refusal, ui::MessageIcon::Critical, ui::kErrorTitle);
}

void Form1::RipIni_Click()
{
    sendRepeatInit(link());
}

void Form1::ErrEEprom_Click()
{
    sendForceEepromError(link());
}

void Form1::VMenu_Click()
{
    sendMenuListRequest(link());
}

void Form1::LPFU_Click()
{
    sendPhaseRequest(link());
}

}  // namespace tq
