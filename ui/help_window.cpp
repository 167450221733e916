#include "ui/help_window.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextLayout>
#include <QVBoxLayout>

#include <vector>

#include "ui/screen_fit.h"
#include "ui/secondary_window.h"

namespace tq::ui {

namespace {

constexpr const char* kCaption = "Manuale d'uso";
constexpr const char* kMissing = "Pagina del manuale non trovata: ";

QSize pictureSize(const QVariant& resource)
{
    if (resource.canConvert<QImage>() && !resource.value<QImage>().isNull())
        return resource.value<QImage>().size();
    if (resource.canConvert<QPixmap>() && !resource.value<QPixmap>().isNull())
        return resource.value<QPixmap>().size();
    return QImage::fromData(resource.toByteArray()).size();
}

// A page of the manual: its headings named as anchors, its pictures no wider than the page.
class ManualBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

protected:
    // The page is loaded (and scrolled to an anchor it does not have yet), then its headings get
    // their anchors and the scroll goes to the one asked for.
    void doSetSource(const QUrl& url, QTextDocument::ResourceType type) override
    {
        QTextBrowser::doSetSource(url, type);
        document()->setUndoRedoEnabled(false);
        nameHeadings();
        fitPictures();
        if (url.hasFragment())
            scrollToAnchor(url.fragment());
    }

private:
    void nameHeadings()
    {
        for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
            if (block.blockFormat().headingLevel() == 0 || block.text().isEmpty())
                continue;
            QTextCursor cursor(block);
            cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            QTextCharFormat anchor;
            anchor.setAnchor(true);
            anchor.setAnchorNames({headingAnchor(block.text())});
            cursor.mergeCharFormat(anchor);
        }
    }

    void fitPictures()
    {
        // The page's width less its margins and a few pixels for the text cursor at the end of the
        // line, and less the scroll bar a long page is about to get.
        int page = viewport()->width() - 2 * static_cast<int>(document()->documentMargin()) - 4;
        if (!verticalScrollBar()->isVisible())
            page -= style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
        // Found first and changed after, so that no change moves the fragments being walked.
        struct Fitted {
            int position;
            int length;
            QTextImageFormat picture;
        };
        std::vector<Fitted> fitted;
        for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
            // A picture in a list has the room of the list's indented lines only.
            document()->documentLayout()->blockBoundingRect(block);  // lays the block out
            const QTextLayout* lines = block.layout();
            const int room = page - (lines && lines->lineCount() > 0 ? static_cast<int>(lines->lineAt(0).x()) : 0);
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                if (!fragment.charFormat().isImageFormat())
                    continue;
                QTextImageFormat picture = fragment.charFormat().toImageFormat();
                const QSize size = pictureSize(document()->resource(QTextDocument::ImageResource, QUrl(picture.name())));
                if (size.isEmpty() || size.width() <= room || room <= 0)
                    continue;
                picture.setWidth(room);
                picture.setHeight(static_cast<qreal>(size.height()) * room / size.width());
                fitted.push_back({fragment.position(), fragment.length(), picture});
            }
        }
        for (const Fitted& f : fitted) {
            QTextCursor cursor(document());
            cursor.setPosition(f.position);
            cursor.setPosition(f.position + f.length, QTextCursor::KeepAnchor);
            cursor.setCharFormat(f.picture);
        }
    }
};

}  // namespace

HelpWindow::HelpWindow(const QString& folder, QWidget* parent) : QWidget(parent, Qt::Window), m_folder(folder)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QString::fromUtf8(kCaption));

    Browser = new ManualBrowser(this);
    Browser->setObjectName(QStringLiteral("Browser"));
    Browser->setAccessibleName(QString::fromUtf8(kCaption));
    Browser->setOpenLinks(true);
    Browser->setOpenExternalLinks(false);
    Browser->setSearchPaths({folder});

    IndexButton = new QPushButton(QStringLiteral("Indice"), this);
    IndexButton->setObjectName(QStringLiteral("IndexButton"));
    BackButton = new QPushButton(QStringLiteral("Indietro"), this);
    BackButton->setObjectName(QStringLiteral("BackButton"));
    ForwardButton = new QPushButton(QStringLiteral("Avanti"), this);
    ForwardButton->setObjectName(QStringLiteral("ForwardButton"));
    BackButton->setEnabled(false);
    ForwardButton->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(IndexButton);
    buttons->addWidget(BackButton);
    buttons->addWidget(ForwardButton);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(Browser, 1);
    resize(1000, 720);
    keepOnScreen(this);

    connect(IndexButton, &QPushButton::clicked, this, [this] { showPage(QString::fromLatin1(kManualIndexPage)); });
    connect(BackButton, &QPushButton::clicked, Browser, &QTextBrowser::backward);
    connect(ForwardButton, &QPushButton::clicked, Browser, &QTextBrowser::forward);
    connect(Browser, &QTextBrowser::backwardAvailable, BackButton, &QPushButton::setEnabled);
    connect(Browser, &QTextBrowser::forwardAvailable, ForwardButton, &QPushButton::setEnabled);
}

void HelpWindow::showPage(const QString& page)
{
    // Shown first, so that the pictures are fitted to the page as it is laid out.
    show();
    activate(this);
    const QString file = QDir(m_folder).filePath(page.section(QLatin1Char('#'), 0, 0));
    if (!QFileInfo(file).isFile()) {
        Browser->setPlainText(QString::fromUtf8(kMissing) + QDir::toNativeSeparators(file));
        return;
    }
    QUrl url = QUrl::fromLocalFile(file);
    if (page.contains(QLatin1Char('#')))
        url.setFragment(page.section(QLatin1Char('#'), 1));
    Browser->setSource(url);
}

void HelpWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}

QString headingAnchor(const QString& heading)
{
    QString anchor;
    for (const QChar c : heading.toLower()) {
        if (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_'))
            anchor += c;
        else if (c == QLatin1Char(' '))
            anchor += QLatin1Char('-');
    }
    return anchor;
}

QString manualFolder()
{
    const QString chosen = qEnvironmentVariable("TQ310_MANUAL");
    if (!chosen.isEmpty())
        return chosen;
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/')
                           + QStringLiteral(TQ_MANUAL_FROM_PROGRAM));
}

}  // namespace tq::ui
