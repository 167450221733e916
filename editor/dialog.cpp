#include "editor/dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>

#include "ui/choice_list.h"
#include "ui/twips.h"

namespace tq {

namespace {

// The dialog's own texts.
constexpr const char* kCaption = "Nome della finestra di dialogo";
constexpr const char* kCombo1Tip = "Numero  uscita assegnata al comando";
constexpr const char* kOption1 = "Conteggio";
constexpr const char* kOption1Tip = "L'uscita inizia con il conteggio e dura un giro";
constexpr const char* kOption2 = "In fase 0";
constexpr const char* kOption2Tip = "L'uscita avviene in fase al cancella conteggi ,dura un giro";
constexpr const char* kOption3 = "Impulso";
constexpr const char* kOption3Tip = "L'uscita e in fase con il conteggio e dura 500 millisecondi";
constexpr const char* kCheck2 = "abilitazione protezione uscite";
constexpr const char* kCheck2Tip =
    "Abilita la segnalazione di difetti sulle uscite e le disabilita in caso di guasto";
constexpr const char* kCancel = "Annulla";
constexpr const char* kOK = "OK";

using ui::pixels;
using ui::Twips;

constexpr Twips kClientArea{2760, 3630, 4035, 1110};
constexpr Twips kCombo1{120, 120, 975, 315};
// Drawn 375 high, the two lines of the ThreeWay legend fit only a narrow face; it reaches down
// to the buttons instead, over nothing its layouts show.
constexpr Twips kLabel1{1200, 120, 2775, 480};
constexpr Twips kOption1Box{2760, 120, 1095, 255};
constexpr Twips kOption2Box{2760, 360, 975, 375};
constexpr Twips kOption3Box{2760, 720, 975, 255};
constexpr Twips kCheck2Box{1440, 120, 2535, 255};
constexpr Twips kText1{360, 120, 3375, 375};
constexpr Twips kCancelButton{120, 600, 1215, 375};
constexpr Twips kOKButton{1440, 600, 1215, 375};

template <typename W>
W* control(QWidget* parent, const char* name, Twips place, qreal dpi, const char* text = nullptr,
           const char* tip = nullptr)
{
    auto* w = new W(parent);
    w->setObjectName(QLatin1String(name));
    w->setGeometry(pixels(place, dpi));
    if constexpr (requires { w->setText(QString()); }) {
        if (text)
            w->setText(QString::fromLatin1(text));
    }
    if (tip)
        w->setToolTip(QString::fromLatin1(tip));
    return w;
}

// Arial, or a sans-serif face of the same metrics where the system lacks it. The layout was
// drawn for 8.25 pt text in its controls; a wider face or a larger size would clip the captions.
QFont arial(qreal points)
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

}  // namespace

Dialog::Dialog(Module1& module, ui::ChoiceList* list, std::function<void()> listInit, QWidget* mainWindow)
    : m_module(module), m_list(list), m_listInit(std::move(listInit)), m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("Dialog"));
    setWindowTitle(QString::fromLatin1(kCaption));
    // Set once, before the first show: changing the flags of a shown window hides it and
    // places it anew.
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    // The program ends with the main window, whatever this dialog shows.
    setAttribute(Qt::WA_QuitOnClose, false);
    buildControls();
}

void Dialog::buildControls()
{
    setFont(arial(8.25));
    const qreal dpi = screen()->logicalDotsPerInch();
    const QRect client = pixels(kClientArea, dpi);
    setGeometry(client);
    setFixedSize(client.size());

    Combo1 = control<QComboBox>(this, "Combo1", kCombo1, dpi, nullptr, kCombo1Tip);
    // Linux's screen readers name a choice list by its choice; Windows' by this name alone.
    Combo1->setAccessibleName(QStringLiteral("Valore del parametro"));
    Label1 = control<QLabel>(this, "Label1", kLabel1, dpi, "Label1");
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setWordWrap(true);
    Option1 = control<QRadioButton>(this, "Option1", kOption1Box, dpi, kOption1, kOption1Tip);
    Option2 = control<QRadioButton>(this, "Option2", kOption2Box, dpi, kOption2, kOption2Tip);
    Option3 = control<QRadioButton>(this, "Option3", kOption3Box, dpi, kOption3, kOption3Tip);
    Check2 = control<QCheckBox>(this, "Check2", kCheck2Box, dpi, kCheck2, kCheck2Tip);
    Text1 = control<QLineEdit>(this, "Text1", kText1, dpi, "Text1");
    Text1->setMaxLength(kMenuTextLength);
    Text1->setAccessibleName(QStringLiteral("Testo della voce di menu"));
    Text1->setFont(arial(9.75));
    // The controller's display shows single bytes: only printable Latin-1 can be typed.
    Text1->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[\\x{20}-\\x{7E}\\x{A0}-\\x{FF}]*")), Text1));
    CancelButton = control<QPushButton>(this, "CancelButton", kCancelButton, dpi, kCancel);
    OKButton = control<QPushButton>(this, "OKButton", kOKButton, dpi, kOK);
    OKButton->setDefault(true);

    m_timing = new QButtonGroup(this);
    m_timing->addButton(Option1);
    m_timing->addButton(Option2);
    m_timing->addButton(Option3);

    setTabOrder(OKButton, CancelButton);
    setTabOrder(CancelButton, Combo1);
    setTabOrder(Combo1, Option1);
    setTabOrder(Option1, Option2);
    setTabOrder(Option2, Option3);
    setTabOrder(Option3, Text1);
    setTabOrder(Text1, Check2);

    connect(OKButton, &QPushButton::clicked, this, &Dialog::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &Dialog::CancelButton_Click);
}

void Dialog::finestra(EditLayout layout)
{
    show();
    activateWindow();
    // Which controls each layout shows. Option1 is left as it was for outputs: the selection
    // handler shows all three options afterwards.
    struct Shown {
        bool combo, check2, option1, options23, label1, text1;
    };
    Shown shown{};
    switch (layout) {
    case EditLayout::Output: shown = {true, false, !Option1->isHidden(), false, false, false}; break;
    case EditLayout::TwoWay:
    case EditLayout::ThreeWay: shown = {true, false, false, false, true, false}; break;
    case EditLayout::MenuText: shown = {false, false, false, false, false, true}; break;
    case EditLayout::Boards: shown = {true, true, false, false, false, false}; break;
    }
    Combo1->setVisible(shown.combo);
    Check2->setVisible(shown.check2);
    Option1->setVisible(shown.option1);
    Option2->setVisible(shown.options23);
    Option3->setVisible(shown.options23);
    Label1->setVisible(shown.label1);
    Text1->setVisible(shown.text1);
    if (layout != EditLayout::MenuText)
        fillChoices(layout);
}

void Dialog::fillChoices(EditLayout layout)
{
    Combo1->clear();
    const int count = choiceCount(layout, m_module.ChannelCount);
    for (int k = 0; k < count; ++k)
        Combo1->addItem(QString::number(k));
}

void Dialog::load(const QString& caption, const LineSelection& selection)
{
    setWindowTitle(caption);
    if (selection.action == SelectionAction::Hide)
        hide();
    if (selection.action != SelectionAction::Edit)
        return;

    finestra(selection.layout);
    if (selection.layout == EditLayout::MenuText) {
        // All of it selected, so that the first key typed replaces it.
        Text1->setText(QString::fromLatin1(selection.text));
        Text1->selectAll();
        Text1->setFocus();
        return;
    }
    if (selection.layout == EditLayout::TwoWay || selection.layout == EditLayout::ThreeWay)
        Label1->setText(QString::fromLatin1(selection.legend));
    if (selection.layout == EditLayout::Boards)
        Check2->setChecked(selection.protection);
    Combo1->setCurrentIndex(selection.choice);
    if (selection.showOptions) {
        Option1->show();
        Option2->show();
        Option3->show();
    }
    // Cleared for parameters 1..4 too although hidden there: OK reads them whenever Check2 is
    // hidden, and stale timing bits would land in parameters 1..3.
    setTiming(selection.timing);
}

void Dialog::setTiming(std::optional<OutputTiming> timing)
{
    // An exclusive group does not let its checked button go, so clearing needs it suspended.
    m_timing->setExclusive(false);
    Option1->setChecked(timing == OutputTiming::Count);
    Option2->setChecked(timing == OutputTiming::PhaseZero);
    Option3->setChecked(timing == OutputTiming::Pulse);
    m_timing->setExclusive(true);
}

DialogValues Dialog::values() const
{
    DialogValues v;
    v.choice = Combo1->currentIndex();
    v.protectionShown = !Check2->isHidden();
    v.protection = Check2->isChecked();
    v.phaseZero = Option2->isChecked();
    v.pulse = Option3->isChecked();
    v.text = Text1->text().toLatin1().toStdString();
    return v;
}

void Dialog::OKButton_Click()
{
    const int line = m_list->chosenRow();
    if (storeEdit(m_module, line, values())) {
        m_listInit();
        // The rebuild left no line selected; selecting it again lays the dialog out anew,
        // which the hide below undoes.
        m_list->setCurrentRow(line);
    }
    hide();
    // A main window that a secondary window has disabled goes on waiting.
    if (m_mainWindow->isEnabled())
        returnFocus();
}

void Dialog::CancelButton_Click()
{
    hide();
    m_mainWindow->setEnabled(true);
    returnFocus();
}

void Dialog::returnFocus()
{
    m_mainWindow->activateWindow();
    // Within the main window, to the list the line came from: the next line is a key away.
    m_list->setFocus(Qt::OtherFocusReason);
}

void Dialog::reject()
{
    CancelButton_Click();
}

}  // namespace tq
