#include "trace/line_trace_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <numeric>
#include <utility>

#include "trace/trace_decoder.h"
#include "trace/trace_file.h"
#include "ui/fonts.h"
#include "ui/message_box.h"

namespace tq {

namespace {

constexpr const char* kTitle = "Registro della linea";
constexpr const char* kFileFilter = "Registro della linea (*.txt);;Tutti i file (*)";
constexpr const char* kAllCommands = "tutti";
constexpr const char* kSaveFailed = "Errore nella scrittura: il registro NON \xE8 stato salvato  ";
constexpr const char* kOpenFailed = "Registro non leggibile: ";
constexpr int kRefreshMs = 250;

// Column widths in characters of the fixed font; the decoded line takes the rest.
constexpr int kColumnChars[] = {14, 4, 6, 48, 18};

}  // namespace

LineTraceWindow::LineTraceWindow(const LineTrace& live, QWidget* parent) : QWidget(parent), m_live(live)
{
    setObjectName(QStringLiteral("LineTraceWindow"));
    setWindowTitle(QString::fromLatin1(kTitle));

    SentBox = new QCheckBox(QStringLiteral("TX dal PC"), this);
    SentBox->setObjectName(QStringLiteral("SentBox"));
    ReceivedBox = new QCheckBox(QStringLiteral("RX dal TQ310"), this);
    ReceivedBox->setObjectName(QStringLiteral("ReceivedBox"));
    for (QCheckBox* box : {SentBox, ReceivedBox})
        box->setChecked(true);
    auto* commandLabel = new QLabel(QStringLiteral("Comando:"), this);
    CommandBox = new QComboBox(this);
    CommandBox->setObjectName(QStringLiteral("CommandBox"));
    CommandBox->setAccessibleName(QStringLiteral("Comando"));
    CommandBox->addItem(QString::fromLatin1(kAllCommands), 0);
    for (char code : commandCodes())
        CommandBox->addItem(QString::fromLatin1(commandCaption(code)), static_cast<int>(static_cast<unsigned char>(code)));
    commandLabel->setBuddy(CommandBox);
    FollowBox = new QCheckBox(QStringLiteral("Segui la fine"), this);
    FollowBox->setObjectName(QStringLiteral("FollowBox"));
    FollowBox->setChecked(true);

    Table = new QTableView(this);
    Table->setObjectName(QStringLiteral("Table"));
    Table->setAccessibleName(QStringLiteral("Registro della linea"));
    Table->setFont(ui::fixedFont(10));
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setWordWrap(false);
    Table->setCornerButtonEnabled(false);
    // Tab leaves the table for the next control; the arrows move along the frames.
    Table->setTabKeyNavigation(false);
    Table->verticalHeader()->hide();
    // One height for every row: the view never measures a row, however many the ring holds.
    Table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Table->verticalHeader()->setDefaultSectionSize(Table->fontMetrics().height() + 4);
    Table->horizontalHeader()->setStretchLastSection(true);

    SaveButton = new QPushButton(QStringLiteral("Salva registro"), this);
    SaveButton->setObjectName(QStringLiteral("SaveButton"));
    OpenButton = new QPushButton(QStringLiteral("Apri registro"), this);
    OpenButton->setObjectName(QStringLiteral("OpenButton"));
    LiveButton = new QPushButton(QStringLiteral("Registro in corso"), this);
    LiveButton->setObjectName(QStringLiteral("LiveButton"));
    StatusLabel = new QLabel(this);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    RefreshTimer = new QTimer(this);
    RefreshTimer->setObjectName(QStringLiteral("RefreshTimer"));
    RefreshTimer->setInterval(kRefreshMs);

    auto* filters = new QHBoxLayout;
    filters->addWidget(SentBox);
    filters->addWidget(ReceivedBox);
    filters->addSpacing(12);
    filters->addWidget(commandLabel);
    filters->addWidget(CommandBox);
    filters->addStretch(1);
    filters->addWidget(FollowBox);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(StatusLabel, 1);
    bottom->addWidget(LiveButton);
    bottom->addWidget(OpenButton);
    bottom->addWidget(SaveButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(Table, 1);
    layout->addLayout(bottom);

    askPath = [this](bool save) {
        const QString caption = save ? SaveButton->text() : OpenButton->text();
        return save ? QFileDialog::getSaveFileName(this, caption, QString(), QString::fromLatin1(kFileFilter))
                    : QFileDialog::getOpenFileName(this, caption, QString(), QString::fromLatin1(kFileFilter));
    };

    connect(SentBox, &QCheckBox::toggled, this, &LineTraceWindow::applyFilter);
    connect(ReceivedBox, &QCheckBox::toggled, this, &LineTraceWindow::applyFilter);
    connect(CommandBox, &QComboBox::currentIndexChanged, this, &LineTraceWindow::applyFilter);
    connect(FollowBox, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            Table->scrollToBottom();
    });
    connect(SaveButton, &QPushButton::clicked, this, &LineTraceWindow::save);
    connect(OpenButton, &QPushButton::clicked, this, &LineTraceWindow::open);
    connect(LiveButton, &QPushButton::clicked, this, &LineTraceWindow::showLive);
    connect(RefreshTimer, &QTimer::timeout, this, &LineTraceWindow::refresh);

    showTrace(m_live);
    const int charWidth = Table->fontMetrics().horizontalAdvance(QLatin1Char('M'));
    for (int column = 0; column < int(std::size(kColumnChars)); ++column)
        Table->setColumnWidth(column, kColumnChars[column] * charWidth);
    resize(std::accumulate(std::begin(kColumnChars), std::end(kColumnChars), 60) * charWidth, 480);
}

LineTraceWindow::~LineTraceWindow() = default;

void LineTraceWindow::showTrace(const LineTrace& trace)
{
    m_shown = &trace;
    auto table = std::make_unique<TraceTable>(trace);
    QItemSelectionModel* oldSelection = Table->selectionModel();
    Table->setModel(table.get());
    delete oldSelection;  // the view does not delete the selection model it made for the old table
    m_table = std::move(table);
    applyFilter();
    LiveButton->setEnabled(showingFile());
    refresh();
    Table->scrollToBottom();
}

void LineTraceWindow::applyFilter()
{
    const char command = static_cast<char>(CommandBox->currentData().toInt());
    m_table->setFilter(SentBox->isChecked(), ReceivedBox->isChecked(), command);
    if (FollowBox->isChecked())
        Table->scrollToBottom();
}

void LineTraceWindow::refresh()
{
    const bool added = m_table->refresh();
    const TraceFrames& frames = m_table->frames();
    const LineTrace& trace = *m_shown;
    const QString source = showingFile() ? QStringLiteral("File %1").arg(m_fileName) : QStringLiteral("Linea");
    QString status = QStringLiteral("%1: %2 trame, %3 byte (al massimo %4)")
                         .arg(source)
                         .arg(frames.size())
                         .arg(trace.byteCount())
                         .arg(trace.capacity());
    if (showingFile() && m_leftOut > 0)
        status += QStringLiteral(", %1 trame pi\u00F9 vecchie lasciate fuori").arg(m_leftOut);
    StatusLabel->setText(status);
    SaveButton->setEnabled(frames.size() > 0);
    if (added && FollowBox->isChecked())
        Table->scrollToBottom();
}

void LineTraceWindow::save()
{
    const QString path = askPath(true);
    if (path.isEmpty())
        return;
    refresh();
    QString reason;
    if (saveTrace(path, m_table->frames(), &reason) != SaveStatus::Saved)
        ui::MsgBox(this, QString::fromLatin1(kSaveFailed) + QDir::toNativeSeparators(path) + QStringLiteral(" (") + reason + QLatin1Char(')'),
                   ui::MessageIcon::Warning, ui::kErrorTitle);
}

void LineTraceWindow::open()
{
    const QString path = askPath(false);
    if (path.isEmpty())
        return;
    // A ring of the same size as the line's: a file keeps what recording would have kept.
    auto file = std::make_unique<LineTrace>(m_live.capacity());
    QString error;
    const std::optional<std::size_t> leftOut = loadTraceFile(*file, path, &error);
    if (!leftOut) {
        ui::MsgBox(this, QString::fromLatin1(kOpenFailed) + QDir::toNativeSeparators(path) + QStringLiteral(": ") + error,
                   ui::MessageIcon::Warning, ui::kErrorTitle);
        return;
    }
    m_fileName = QFileInfo(path).fileName();
    m_leftOut = *leftOut;
    // A file shown before goes after the table that looks at it.
    const std::unique_ptr<LineTrace> previous = std::exchange(m_file, std::move(file));
    showTrace(*m_file);
}

void LineTraceWindow::showLive()
{
    // The file's trace goes after the table that looks at it.
    const std::unique_ptr<LineTrace> file = std::move(m_file);
    m_fileName.clear();
    showTrace(m_live);
}

void LineTraceWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh();
    RefreshTimer->start();
}

void LineTraceWindow::hideEvent(QHideEvent* event)
{
    RefreshTimer->stop();
    QWidget::hideEvent(event);
}

void LineTraceWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(event);
}

}  // namespace tq
