#include "app/Form1.h"

#include <QEvent>
#include <QListWidget>

#include "editor/dialog.h"
#include "editor/selection.h"

namespace tq {

namespace {

// The dialog is a window of its own: it goes out of sight with the main window.
class HideWithMainWindow : public QObject {
public:
    explicit HideWithMainWindow(Form1* form) : QObject(form), m_form(form) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_form && event->type() == QEvent::Hide && m_form->editDialog())
            m_form->editDialog()->hide();
        return false;
    }

private:
    Form1* m_form;
};

}  // namespace

void Form1::installEditor()
{
    // A selection by mouse, keyboard or code. A rebuild of the list reports row -1: the dialog
    // stays as it is until the user selects a line again.
    connect(List1, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            List1_Click();
    });
    // A click on, or Enter at, the line already selected reopens a dialog that OK or Cancel
    // closed; an open one keeps what the user has not confirmed yet.
    const auto reopen = [this] {
        if (!m_editDialog || !m_editDialog->isVisible())
            List1_Click();
    };
    connect(List1, &QListWidget::itemClicked, this, reopen);
    connect(List1, &QListWidget::itemActivated, this, reopen);
    installEventFilter(new HideWithMainWindow(this));
}

void Form1::List1_Click()
{
    const int line = List1->currentRow();
    if (line < 0)
        return;
    if (!m_editDialog)
        m_editDialog = std::make_unique<Dialog>(m_module, List1, [this] { ListInit(); }, this);
    m_editDialog->load(List1->item(line)->text(), selectLine(m_module, line));
}

}  // namespace tq
