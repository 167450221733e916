#include "operations/form2.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QPushButton>

#include <algorithm>
#include <utility>

#include "ui/twips.h"

namespace tq {

namespace {

constexpr const char* kCaption = "Test uscite";
constexpr const char* kAllOn = "Tutti ON";
constexpr const char* kAllOff = "Tutti OFF";
constexpr const char* kExit = "Uscita";

// Box i (output i + 1): column i / 8 at left 200, 1800, 3400; row i % 8 at top 240 + 300 row;
// 1300 x 320.
ui::Twips outputBoxPlace(int box)
{
    constexpr int kColumnLeft[3] = {200, 1800, 3400};
    return {kColumnLeft[box / kOutputsPerBoard], 240 + 300 * (box % kOutputsPerBoard), 1300, 320};
}

// The buttons go along the bottom, under the three columns of boxes; the window closes around
// them.
constexpr ui::Twips kButtons[3] = {{200, 2760, 1300, 400}, {1800, 2760, 1300, 400}, {3400, 2760, 1300, 400}};
constexpr int kWindowWidth = 4900;
constexpr int kWindowHeight = 3400;
// A caption that would not fit its box gets a smaller font, down to this size.
constexpr qreal kSmallestPointSize = 7;

}  // namespace

Form2::Form2(Module1& m, OutputsChanged outputsChanged, std::function<void()> closed)
    : QWidget(nullptr, Qt::Window), m_m(m), m_outputsChanged(std::move(outputsChanged)), m_closed(std::move(closed))
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QString::fromLatin1(kCaption));

    for (int i = 0; i < kOutputBoxes; ++i) {
        auto* box = new QCheckBox(this);
        box->setObjectName(QStringLiteral("Check1_%1").arg(i));
        // Every change of a box, whoever makes it (a click, Space, a screen reader's Toggle, code),
        // updates the pattern as a click does. "Tutti ON", "Tutti OFF" and the opening of the
        // window change many boxes and update it once, or not at all.
        connect(box, &QCheckBox::toggled, this, [this] {
            if (!m_settingAll)
                updatePattern();
        });
        Check1[i] = box;
    }
    Command1 = new QPushButton(QString::fromLatin1(kAllOn), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QString::fromLatin1(kAllOff), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command3 = new QPushButton(QString::fromLatin1(kExit), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    connect(Command1, &QPushButton::clicked, this, [this] { setAll(true); });
    connect(Command2, &QPushButton::clicked, this, [this] { setAll(false); });
    connect(Command3, &QPushButton::clicked, this, &QWidget::close);

    QPushButton* const buttons[] = {Command1, Command2, Command3};
    for (int i = 0; i < 3; ++i)
        buttons[i]->setGeometry(ui::pixels(kButtons[i], logicalDpiX()));
    setFixedSize(ui::twipsToPixels(kWindowWidth, logicalDpiX()), ui::twipsToPixels(kWindowHeight, logicalDpiX()));
}

void Form2::layOut()
{
    m_usable = usableOutputBoxes(m_m.ChannelCount);
    QFont font = this->font();
    // The boxes start cleared: nothing is sent until one changes.
    m_settingAll = true;
    for (int i = 0; i < kOutputBoxes; ++i) {
        QCheckBox* box = Check1[i];
        box->setGeometry(ui::pixels(outputBoxPlace(i), logicalDpiX()));
        box->setText(QString::fromLatin1(outputBoxCaption(i)));
        box->setChecked(false);
        box->setEnabled(i < m_usable);
    }
    m_settingAll = false;
    // The boxes keep their places; a caption that would not fit its box first gets a narrower
    // cut of the font, then a smaller size. The widest caption decides for all.
    const auto fits = [this, &font] {
        for (QCheckBox* box : Check1)
            box->setFont(font);
        return std::all_of(Check1.begin(), Check1.end(),
                           [](QCheckBox* box) { return box->sizeHint().width() <= box->width(); });
    };
    for (const int stretch : {int(QFont::Unstretched), int(QFont::SemiCondensed), int(QFont::Condensed)}) {
        font.setStretch(stretch);
        if (fits())
            break;
    }
    while (!fits() && font.pointSizeF() > kSmallestPointSize)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    const bool all = allOutputsButtonsEnabled(m_m.ChannelCount);
    Command1->setEnabled(all);
    Command2->setEnabled(all);
}

void Form2::setAll(bool ticked)
{
    // The output test runs before the first box changes, as it does for a click on one box.
    updatePattern();
    m_settingAll = true;
    for (int i = 0; i < m_usable; ++i)
        Check1[i]->setChecked(ticked);
    m_settingAll = false;
    updatePattern();
}

void Form2::updatePattern()
{
    OutputBoxFlags ticked{};
    OutputBoxFlags usable{};
    for (int i = 0; i < kOutputBoxes; ++i) {
        ticked[i] = Check1[i]->isChecked();
        usable[i] = i < m_usable;
    }
    if (m_outputsChanged)
        m_outputsChanged(outputPattern(ticked, usable));
}

void Form2::closeEvent(QCloseEvent* event)
{
    if (m_closed)
        m_closed();
    event->accept();
}

}  // namespace tq
