#include "app/Form1.h"

#include <QListWidget>

#include "editor/dialog.h"
#include "editor/selection.h"
#include "ui/secondary_window.h"

namespace tq {

void Form1::installEditor()
{
    // A line selected by mouse, keyboard, screen reader or code. The focus alone chooses nothing,
    // and a rebuild of the list leaves no line chosen: the dialog stays as it is until the user
    // selects a line again.
    connect(List1, &ui::ChoiceList::lineChosen, this, [this] { List1_Click(); });
    // A click on, or Enter at, the line already chosen reopens a dialog that OK or Cancel closed;
    // an open one keeps what the user has not confirmed yet.
    connect(List1, &ui::ChoiceList::lineActivated, this, [this] {
        if (!m_editDialog || !m_editDialog->isVisible())
            List1_Click();
    });
}

void Form1::List1_Click()
{
    const int line = List1->chosenRow();
    if (line < 0)
        return;
    if (!m_editDialog) {
        m_editDialog = std::make_unique<Dialog>(m_module, List1, [this] { ListInit(); }, this);
        // A window of its own: it goes out of sight with the main window.
        ui::hideWith(m_editDialog.get(), this);
    }
    m_editDialog->load(List1->item(line)->text(), selectLine(m_module, line));
}

}  // namespace tq
