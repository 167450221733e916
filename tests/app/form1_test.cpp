// The main window itself (Form1.cpp) on the offscreen platform: the parameter list as ListInit
// renders the shared state, the file caption and the CRC group.
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QtTest>

#include "app/Form1.h"
#include "ui/fonts.h"

using tq::Form1;

class Form1Test : public QObject {
    Q_OBJECT
private slots:
    void listIsFixedPitchWithItsTooltip()
    {
        Form1 form;
        QVERIFY(tq::ui::isFixedPitch(form.List1->font()));
        QCOMPARE(form.List1->toolTip(),
                 QStringLiteral("I parametri di sinistra sono riferiti al file mentra quelli di destra provengono dal chip"));
        QCOMPARE(form.findChild<QLabel*>("Label1")->text(), QStringLiteral("Default "));
    }

    void crcGroupHasItsCaptionAndTooltip()
    {
        Form1 form;
        auto* group = form.findChild<QGroupBox*>("Label6");
        QVERIFY(group);
        QCOMPARE(group->title(), QStringLiteral("CRC parametri"));
        QCOMPARE(group->toolTip(), QStringLiteral(" modulo CRC CCIT  G(x) = x16 + x12 + x5 + 1.per controllo errori "));
        QVERIFY(group->isAncestorOf(form.findChild<QLabel*>("Label4")));
        QVERIFY(group->isAncestorOf(form.findChild<QLabel*>("Label5")));
    }

    void listInitRendersTheSharedState()
    {
        Form1 form;
        form.module().CurrentFileName = "Dati di default";
        form.module().FileParams[0] = 1;
        form.module().ChipParams[0] = 200;
        form.module().FileMenuTexts[0] = "\xE8 pi\xF9";  // Latin-1 letters stay single bytes
        form.ListInit();
        QCOMPARE(form.List1->count(), 66);
        QCOMPARE(form.List1->item(0)->text(), QStringLiteral("Lato di inizio conteggio  1[1  ] [200]"));
        QCOMPARE(form.List1->item(54)->text(), QStringLiteral("======== VOCI MENU ==========="));
        QCOMPARE(form.List1->item(55)->text(), QString::fromUtf8("seleziona      | è più"));
        QCOMPARE(form.Label1->text(), QStringLiteral(" File = Dati di default"));
        QCOMPARE(form.Label5->text(), QStringLiteral("250-32 File"));
        QCOMPARE(form.List1->currentRow(), -1);
    }

    void fileCaptionShowsAPathAsTheSystemNamesIt()
    {
        for (const char* path : {"/tmp/macchina \u00e8 pi\u00f9.ini", "/tmp/Παράμετροι/настройки.ini"}) {
            Form1 form;
            form.module().CurrentFileName = QFile::encodeName(QString::fromUtf8(path)).toStdString();
            form.ListInit();
            QCOMPARE(form.Label1->text(), QStringLiteral(" File = ") + QString::fromUtf8(path));
        }
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
