#include "operations/inp_out.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>

#include "ui/fonts.h"

namespace tq {

namespace {

constexpr const char* kCaption = "Test per Input e Output";
constexpr const char* kHeading =
    " 31 30 29 28 27  26 25 24   23  22  21 20 19  18 17  16   15  14  13 12  11  10  9  8       7   6   5"
    "    4    3   2   1   0         corse";
constexpr const char* kCount = "CONTEGGIO";
constexpr const char* kReset = "RESET";

// Room for the 69 characters of a row and a course number of up to six ("-32768").
constexpr int kRowColumns = 75;
constexpr int kRowIndent = 6;
// The columns of the marks of positions 31 and 0 in a row.
constexpr int kFirstMarkColumn = 0;
constexpr int kLastMarkColumn = 65;
const QColor kShades[2] = {QColor(0xFF, 0xFF, 0xFF), QColor(0xE4, 0xE8, 0xF0)};

}  // namespace

InpOut::InpOut(Module1& m, std::function<void()> nextCourse, std::function<void()> restart)
    : QWidget(nullptr, Qt::Window), m_m(m), m_nextCourse(std::move(nextCourse)), m_restart(std::move(restart))
{
    setObjectName(QStringLiteral("InpOut"));
    setWindowTitle(QString::fromLatin1(kCaption));

    const QFont rowFont = ui::fixedFont(12);
    const QFontMetricsF metrics(rowFont);
    const auto columnX = [&](int column) {
        return kRowIndent + metrics.horizontalAdvance(QString(column, QLatin1Char('.')));
    };
    const int rowHeight = static_cast<int>(metrics.height()) + 6;
    const int rowWidth = static_cast<int>(columnX(kRowColumns)) + kRowIndent;

    Label2 = new QLabel(QString::fromLatin1(kHeading), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    const qreal halfColumn = metrics.horizontalAdvance(QLatin1Char('.')) / 2;
    fitHeading(columnX(kFirstMarkColumn) + halfColumn, columnX(kLastMarkColumn) + halfColumn);

    // The rows and the separators share one area of fixed geometry, so that the lines stay on
    // the columns of the fixed-width text.
    auto* area = new QWidget(this);
    area->setObjectName(QStringLiteral("rows"));
    area->setFixedSize(rowWidth, rowHeight * kSimulationRows);
    for (int i = 0; i < kSimulationRows; ++i) {
        QLabel* row = new QLabel(area);
        row->setObjectName(QStringLiteral("Label1_%1").arg(i));
        row->setFont(rowFont);
        row->setIndent(kRowIndent);
        row->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        row->setAutoFillBackground(true);
        QPalette shade = row->palette();
        shade.setColor(QPalette::Window, kShades[i % 2]);
        shade.setColor(QPalette::WindowText, Qt::black);
        row->setPalette(shade);
        row->setGeometry(0, i * rowHeight, rowWidth, rowHeight);
        Label1[i] = row;
    }
    for (std::size_t k = 0; k < Line.size(); ++k) {
        auto* line = new QFrame(area);
        line->setObjectName(QStringLiteral("Line%1").arg(k + 1));
        line->setFrameShape(QFrame::VLine);
        line->setFrameShadow(QFrame::Plain);
        line->setLineWidth(1);
        const int x = static_cast<int>(std::lround(columnX(kGroupSeparatorColumns[k])));
        line->setGeometry(x - 1, 0, 3, area->height());
        line->raise();
        Line[k] = line;
    }

    Command1 = new QPushButton(QString::fromLatin1(kCount), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QString::fromLatin1(kReset), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    connect(Command1, &QPushButton::clicked, this, [this] {
        if (m_nextCourse)
            m_nextCourse();
    });
    connect(Command2, &QPushButton::clicked, this, [this] {
        if (m_restart)
            m_restart();
    });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command1);
    buttons->addStretch(1);
    buttons->addWidget(Command2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label2);
    layout->addWidget(area);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void InpOut::fitHeading(qreal firstMarkCentre, qreal lastMarkCentre)
{
    // The heading's blanks were counted for a proportional font, not for the marks' fixed
    // columns: its size is chosen, and its blanks widened or narrowed a little, so that "31"
    // stands over the first mark and "0" over the last, the numbers between falling near theirs.
    const QString heading = Label2->text();
    const int at31 = heading.indexOf(QLatin1String("31"));
    const int at0 = heading.lastIndexOf(QLatin1String(" 0 ")) + 1;
    const auto centres = [&](const QFont& f) {
        const QFontMetricsF m(f);
        return std::pair(m.horizontalAdvance(heading.left(at31)) + m.horizontalAdvance(QLatin1String("31")) / 2,
                         m.horizontalAdvance(heading.left(at0)) + m.horizontalAdvance(QLatin1Char('0')) / 2);
    };
    const qreal wanted = lastMarkCentre - firstMarkCentre;
    QFont font = Label2->font();
    auto [from, to] = centres(font);
    font.setPointSizeF(std::max(6.0, std::round(2 * font.pointSizeF() * wanted / (to - from)) / 2));
    // How much a pixel of word spacing widens the heading depends on how the text engine counts
    // the runs of blanks: measured, not assumed.
    std::tie(from, to) = centres(font);
    const qreal natural = to - from;
    font.setWordSpacing(1);
    std::tie(from, to) = centres(font);
    font.setWordSpacing((wanted - natural) / (to - from - natural));
    Label2->setFont(font);
    Label2->setIndent(std::max(0, qRound(firstMarkCentre - centres(font).first)));
}

void InpOut::clearRows()
{
    m_rows.fill(std::string());
    showRows();
}

void InpOut::conta()
{
    drawCourse(m_m, m_rows);
    showRows();
}

void InpOut::showRows()
{
    for (int i = 0; i < kSimulationRows; ++i)
        Label1[i]->setText(QString::fromLatin1(m_rows[i]));
}

}  // namespace tq
