#pragma once
// The edit dialog: one parameter byte or one menu text of the working copy at a time. Modeless
// and above every other window; the main window stays usable while it is open.

#include <QDialog>

#include <functional>

#include "editor/confirmation.h"
#include "editor/selection.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tq {

namespace ui {
class ChoiceList;
}

class Dialog : public QDialog {
    Q_OBJECT
public:
    // `list` is the main list whose chosen line the dialog edits; `listInit` rebuilds it after
    // a value was stored; `mainWindow` is enabled and gets the focus back on Cancel.
    Dialog(Module1& module, ui::ChoiceList* list, std::function<void()> listInit, QWidget* mainWindow);

    // Shows the dialog with the controls of one layout and fills its choice list.
    void finestra(EditLayout layout);
    // Captions the dialog with the selected line's text and lays it out with the line's value,
    // or hides it for the menu header.
    void load(const QString& caption, const LineSelection& selection);

    void OKButton_Click();
    void CancelButton_Click();

    QComboBox* Combo1 = nullptr;
    QLabel* Label1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option3 = nullptr;
    QCheckBox* Check2 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* OKButton = nullptr;

public slots:
    // Escape and the window's close box abandon the edit as Cancel does.
    void reject() override;

private:
    void buildControls();
    void fillChoices(EditLayout layout);
    void setTiming(std::optional<OutputTiming> timing);
    DialogValues values() const;
    void returnFocus();

    Module1& m_module;
    ui::ChoiceList* m_list;
    std::function<void()> m_listInit;
    QWidget* m_mainWindow;
    QButtonGroup* m_timing = nullptr;
};

}  // namespace tq
