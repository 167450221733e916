// The main window itself (Form1.cpp) on the offscreen platform: the parameter list as ListInit
// renders the shared state, the file caption and the CRC group; the menu "?" with the manual,
// whose pictures must show and whose F1 must land on the section of the window it is pressed in.
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QtTest>

#include <functional>

#include "app/Form1.h"
#include "support/connected_form1.h"
#include "ui/fonts.h"

using tq::Form1;
using tq::test::ConnectedForm1;

namespace {

QWidget* shownWindow(const char* name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible())
            return w;
    return nullptr;
}

// The pictures of the page the manual shows, or -1 when one of them did not load.
int picturesShown(QTextBrowser* page)
{
    int shown = 0;
    for (QTextBlock block = page->document()->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat())
                continue;
            const QVariant picture =
                page->document()->resource(QTextDocument::ImageResource, QUrl(format.toImageFormat().name()));
            if (picture.value<QPixmap>().isNull() && picture.value<QImage>().isNull()
                && QImage::fromData(picture.toByteArray()).isNull())
                return -1;
            ++shown;
        }
    return shown;
}

// The heading in sight: the one of the anchor the page was opened at, or the page's first.
QString headingInSight(QTextBrowser* page)
{
    const QString anchor = page->source().fragment();
    for (QTextBlock block = page->document()->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 0)
            continue;
        if (!anchor.isEmpty() && !block.begin().fragment().charFormat().anchorNames().contains(anchor))
            continue;
        const qreal top = page->document()->documentLayout()->blockBoundingRect(block).top()
            - page->verticalScrollBar()->value();
        return top >= 0 && top < page->viewport()->height() ? block.text() : QStringLiteral("out of sight");
    }
    return QStringLiteral("no heading");
}

}  // namespace

class Form1Test : public QObject {
    Q_OBJECT
private slots:
    void listIsFixedPitchWithItsTooltip()
    {
        Form1 form;
        QVERIFY(tq::ui::isFixedPitch(control<QListWidget>(form, "List1")->font()));
        QCOMPARE(control<QListWidget>(form, "List1")->toolTip(),
                 QStringLiteral("I parametri di sinistra sono riferiti al file mentra quelli di destra provengono dal chip"));
        QCOMPARE(control<QLabel>(form, "Label1")->text(), QStringLiteral("Default "));
    }

    void crcGroupHasItsCaptionAndTooltip()
    {
        Form1 form;
        auto* group = control<QGroupBox>(form, "Label6");
        QVERIFY(group);
        QCOMPARE(group->title(), QStringLiteral("CRC parametri"));
        QCOMPARE(group->toolTip(), QStringLiteral(" modulo CRC CCIT  G(x) = x16 + x12 + x5 + 1.per controllo errori "));
        QVERIFY(group->isAncestorOf(control<QLabel>(form, "Label4")));
        QVERIFY(group->isAncestorOf(control<QLabel>(form, "Label5")));
    }

    void listInitRendersTheSharedState()
    {
        Form1 form;
        form.module().CurrentFileName = "Dati di default";
        form.module().FileParams[0] = 1;
        form.module().ChipParams[0] = 200;
        form.module().FileMenuTexts[0] = "\xE8 pi\xF9";  // Latin-1 letters stay single bytes
        form.ListInit();
        const QListWidget* List1 = control<QListWidget>(form, "List1");
        QCOMPARE(List1->count(), 66);
        QCOMPARE(List1->item(0)->text(), QStringLiteral("Lato di inizio conteggio  1[1  ] [200]"));
        QCOMPARE(List1->item(54)->text(), QStringLiteral("======== VOCI MENU ==========="));
        QCOMPARE(List1->item(55)->text(), QString::fromUtf8("seleziona      | è più"));
        QCOMPARE(control<QLabel>(form, "Label1")->text(), QStringLiteral(" File = Dati di default"));
        QCOMPARE(control<QLabel>(form, "Label5")->text(), QStringLiteral("250-32 File"));
        QCOMPARE(List1->currentRow(), -1);
    }

    void fileCaptionShowsAPathAsTheSystemNamesIt()
    {
        for (const char* path : {"/tmp/macchina \u00e8 pi\u00f9.ini", "/tmp/Παράμετροι/настройки.ini"}) {
            Form1 form;
            form.module().CurrentFileName = QFile::encodeName(QString::fromUtf8(path)).toStdString();
            form.ListInit();
            QCOMPARE(control<QLabel>(form, "Label1")->text(), QStringLiteral(" File = ") + QString::fromUtf8(path));
        }
    }

    void theManualOpensWithItsPicturesAndF1FindsTheSectionOfEachWindow()
    {
        ConnectedForm1 c;
        c.form.show();
        QVERIFY(QTest::qWaitForWindowActive(&c.form));
        QTest::keyClick(&c.form, Qt::Key_F1);
        QWidget* help = shownWindow("HelpWindow");
        QVERIFY(help);
        auto* page = help->findChild<QTextBrowser*>(QStringLiteral("Browser"));
        QCOMPARE(page->source().fileName(), QStringLiteral("indice.md"));
        QCOMPARE(headingInSight(page), QStringLiteral("Manuale d'uso di Test per TQ310"));
        QVERIFY(picturesShown(page) > 0);
        help->close();
        use(c.form, "manuale");
        QVERIFY(help->isVisible());

        const struct {
            const char* window;
            std::function<void()> open;
            const char* heading;
        } cases[] = {
            {"prog1", [&] { use(c.form, "prog"); }, "Il programmatore"},
            {"TrovaUsb", [&] { control<QAction>(c.form, "ParUsb")->setEnabled(true); use(c.form, "ParUsb"); },
             "La chiave USB"},
            {"InpOut", [&] { use(c.form, "Command14"); }, "Simulazione della produzione"},
            {"Form2", [&] { use(c.form, "TetUscite"); }, "Prova delle uscite"},
            {"LineTraceWindow", [&] { use(c.form, "RegLinea"); }, "Il registro della linea"},
            {"Dialog", [&] { control<QListWidget>(c.form, "List1")->setCurrentRow(4); }, "La finestra di modifica"},
            {"cerca", [&] { use(c.form, "disconnetti"); use(c.form, "connetti"); }, "La scelta della porta"},
        };
        for (const auto& k : cases) {
            k.open();
            QWidget* window = shownWindow(k.window);
            QVERIFY2(window, k.window);
            window->activateWindow();
            QVERIFY2(QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }), k.window);
            QTest::keyClick(window, Qt::Key_F1);
            QCOMPARE(headingInSight(page), QString::fromUtf8(k.heading));
            QVERIFY2(picturesShown(page) >= 0, k.window);
            window->close();
        }
    }

    void aboutBoxShowsTheVersionAndTheLicences()
    {
        Form1 form;
        use(form, "informazioni");
        QWidget* about = shownWindow("AboutBox");
        QVERIFY(about);
        QVERIFY(about->findChild<QLabel*>("Version")->text().contains(QCoreApplication::applicationVersion()));
        const QString notices = about->findChild<QTextBrowser*>("Notices")->toPlainText();
        for (const char* part : {"Qt", "mingw-w64", "zlib", "libpng", "libjpeg-turbo", "FreeType", "HarfBuzz", "PCRE2"})
            QVERIFY2(notices.contains(QLatin1String(part)), part);
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
