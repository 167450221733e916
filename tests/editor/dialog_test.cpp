// The edit dialog driven through the real main window and its list, on the offscreen platform.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QtTest>

#include "app/Form1.h"
#include "editor/dialog.h"

using tq::Dialog;
using tq::Form1;

namespace {

// A main window with the list built from the given working copy.
struct Editor {
    Form1 form;

    Editor(std::uint8_t boards = 3)
    {
        form.module().FileParams[3] = boards;
        form.ListInit();
    }
    Dialog* select(int line)
    {
        form.List1->setCurrentRow(line);
        return form.editDialog();
    }
    std::uint8_t param(int index) { return form.module().FileParams[index]; }
};

QStringList items(const QComboBox* combo)
{
    QStringList list;
    for (int i = 0; i < combo->count(); ++i)
        list << combo->itemText(i);
    return list;
}

QStringList numbers(int from, int to)
{
    QStringList list;
    for (int k = from; k <= to; ++k)
        list << QString::number(k);
    return list;
}

// Key by key, as a keyboard types it; Latin-1 letters too, which QTest::keyClicks refuses.
void type(QWidget* w, const QString& text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key(c.toUpper().unicode()), QString(c), Qt::NoModifier);
}

int twips(const QWidget* w, int t)
{
    return qRound(t * w->screen()->logicalDotsPerInch() / 1440.0);
}

}  // namespace

class DialogTest : public QObject {
    Q_OBJECT
private slots:
    // ---- Output layout ----

    void outputChoiceStoresNumberPlusTiming_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("stored");
        QTest::newRow("Conteggio") << "Option1" << 7;
        QTest::newRow("In fase 0") << "Option2" << 71;
        QTest::newRow("Impulso") << "Option3" << 135;
    }
    void outputChoiceStoresNumberPlusTiming()
    {
        QFETCH(QString, option);
        QFETCH(int, stored);
        Editor e;
        Dialog* d = e.select(10);
        QVERIFY(d && d->isVisible());
        QCOMPARE(items(d->Combo1), numbers(0, 24));
        d->Combo1->setCurrentIndex(7);
        d->findChild<QRadioButton*>(option)->click();
        d->OKButton->click();
        QCOMPARE(e.param(10), stored);
        QCOMPARE(e.form.List1->item(10)->text(),
                 QStringLiteral("Rientro  1               11[%1] [0  ]").arg(stored, -3));
    }

    void outputLineShowsNumberAndTiming_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("option");
        QTest::newRow("0x45") << 0x45 << 5 << "Option2";
        QTest::newRow("0x85") << 0x85 << 5 << "Option3";
        QTest::newRow("0xC5") << 0xC5 << 5 << "Option3";
        QTest::newRow("20 beyond 16") << 20 << -1 << "Option1";
        QTest::newRow("20 beyond 16, In fase 0") << 20 + 64 << -1 << "Option2";
    }
    void outputLineShowsNumberAndTiming()
    {
        QFETCH(int, value);
        QFETCH(int, choice);
        QFETCH(QString, option);
        Editor e(2);  // two boards: ChannelCount 16
        e.form.module().FileParams[10] = std::uint8_t(value);
        e.form.ListInit();
        Dialog* d = e.select(10);
        QCOMPARE(items(d->Combo1), numbers(0, 16));
        QCOMPARE(d->Combo1->currentIndex(), choice);
        for (QRadioButton* o : {d->Option1, d->Option2, d->Option3}) {
            QVERIFY(!o->isHidden());
            QCOMPARE(o->isChecked(), o->objectName() == option);
        }
        QVERIFY(d->Combo1->isVisible());
        QVERIFY(d->Label1->isHidden() && d->Check2->isHidden() && d->Text1->isHidden());
    }

    void outputListFollowsChannelCountUpToWhatAByteHolds_data()
    {
        QTest::addColumn<int>("boards");
        QTest::addColumn<int>("last");
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("255: ChannelCount 1912") << 255 << 255;
    }
    void outputListFollowsChannelCountUpToWhatAByteHolds()
    {
        QFETCH(int, boards);
        QFETCH(int, last);
        Editor e{std::uint8_t(boards)};
        Dialog* d = e.select(20);
        QCOMPARE(items(d->Combo1), numbers(0, last));
        d->Combo1->setCurrentIndex(last);
        d->Option1->click();
        d->OKButton->click();
        QCOMPARE(e.param(20), last);
    }

    // ---- TwoWay and ThreeWay layouts ----

    void selectorsShowLegendAndChoice_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("legend");
        QTest::addColumn<QStringList>("choices");
        QTest::addColumn<int>("choice");
        QTest::newRow("side") << 0 << 1 << "0 = sinistra 1 = destra" << numbers(0, 1) << 1;
        QTest::newRow("striper") << 1 << 0 << "0 = meccanico 1 = pneumatico" << numbers(0, 1) << 0;
        QTest::newRow("frame")
            << 2 << 2 << "0 = Normale 1 = Intarsio \r\n2 = normale con calati alternati" << numbers(0, 2) << 2;
        QTest::newRow("side out of list") << 0 << 5 << "0 = sinistra 1 = destra" << numbers(0, 1) << -1;
    }
    void selectorsShowLegendAndChoice()
    {
        QFETCH(int, line);
        QFETCH(int, value);
        QFETCH(QString, legend);
        QFETCH(QStringList, choices);
        QFETCH(int, choice);
        Editor e;
        e.form.module().FileParams[line] = std::uint8_t(value);
        e.form.ListInit();
        Dialog* d = e.select(line);
        QCOMPARE(d->Label1->text(), legend);
        QVERIFY(d->Label1->isVisible() && d->Combo1->isVisible());
        QCOMPARE(items(d->Combo1), choices);
        QCOMPARE(d->Combo1->currentIndex(), choice);
        for (QWidget* w : std::initializer_list<QWidget*>{d->Option1, d->Option2, d->Option3, d->Check2, d->Text1})
            QVERIFY2(w->isHidden(), qPrintable(w->objectName()));
    }

    void selectorAfterPhaseZeroOutputStoresOnlyItsChoice_data()
    {
        QTest::addColumn<int>("choice");
        QTest::newRow("0") << 0;
        QTest::newRow("1") << 1;
    }
    void selectorAfterPhaseZeroOutputStoresOnlyItsChoice()
    {
        QFETCH(int, choice);
        Editor e;
        Dialog* d = e.select(10);
        d->Option2->click();
        e.select(0);
        QVERIFY(!d->Option1->isChecked() && !d->Option2->isChecked() && !d->Option3->isChecked());
        d->Combo1->setCurrentIndex(choice);
        d->OKButton->click();
        QCOMPARE(e.param(0), choice);
    }

    // ---- Boards layout ----

    void boardsLineShowsCountAndProtection_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("protection");
        QTest::newRow("18") << 18 << true;
        QTest::newRow("2") << 2 << false;
    }
    void boardsLineShowsCountAndProtection()
    {
        QFETCH(int, value);
        QFETCH(bool, protection);
        Editor e{std::uint8_t(value)};
        Dialog* d = e.select(3);
        QCOMPARE(items(d->Combo1), numbers(0, 3));
        QCOMPARE(d->Combo1->currentText(), QStringLiteral("2"));
        QVERIFY(d->Check2->isVisible());
        QCOMPARE(d->Check2->isChecked(), protection);
        QVERIFY(d->Label1->isHidden() && d->Option1->isHidden() && d->Text1->isHidden());
    }

    void boardsWithProtectionStore18AndWidenTheOutputList()
    {
        Editor e(0);
        Dialog* d = e.select(12);
        d->Option3->click();  // a Pulse left behind must not reach parameter 4
        QCOMPARE(items(d->Combo1), numbers(0, 0));
        e.select(3);
        d->Combo1->setCurrentIndex(2);
        d->Check2->setChecked(true);
        d->OKButton->click();
        QCOMPARE(e.param(3), 18);
        QCOMPARE(e.form.module().ChannelCount, 16);
        e.select(4);
        QCOMPARE(items(d->Combo1), numbers(0, 16));
    }

    // ---- MenuText layout ----

    void menuTextOpensWithAllOfItSelected()
    {
        Editor e;
        e.form.module().FileMenuTexts[1] = "cartella";
        e.form.ListInit();
        Dialog* d = e.select(56);
        QVERIFY(d->Text1->isVisible());
        QVERIFY(d->Combo1->isHidden() && d->Label1->isHidden() && d->Check2->isHidden() && d->Option1->isHidden());
        QCOMPARE(d->Text1->text(), QStringLiteral("cartella"));
        QCOMPARE(d->Text1->selectionStart(), 0);
        QCOMPARE(d->Text1->selectedText(), QStringLiteral("cartella"));
        QCOMPARE(d->focusWidget(), d->Text1);  // the widget that takes the keys once the window is active
    }

    void typedMenuTextIsStoredAsTenBytes_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("ABC") << "ABC" << QByteArray("ABC       ");
        QTest::newRow("empty") << "" << QByteArray("          ");
        QTest::newRow("10 characters") << "0123456789" << QByteArray("0123456789");
        QTest::newRow("12 typed, 10 taken") << "ABCDEFGHIJKL" << QByteArray("ABCDEFGHIJ");
        QTest::newRow("Latin-1 letter") << QString::fromUtf8("pi\u00F9") << QByteArray("pi\xF9       ");
        QTest::newRow("beyond Latin-1 refused") << QString::fromUtf8("A\u20ACB") << QByteArray("AB        ");
    }
    void typedMenuTextIsStoredAsTenBytes()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, stored);
        Editor e;
        e.form.module().FileMenuTexts[3] = "vecchio";
        e.form.ListInit();
        Dialog* d = e.select(58);
        QTest::keyClick(d->Text1, Qt::Key_Delete);  // the whole text is selected
        type(d->Text1, typed);
        d->OKButton->click();
        QCOMPARE(QByteArray::fromStdString(e.form.module().FileMenuTexts[3]), stored);
        QCOMPARE(e.form.List1->item(58)->text(), QStringLiteral("nuova lettura  | ") + QString::fromLatin1(stored));
    }

    // ---- every layout: selection, OK, Cancel ----

    void captionIsTheSelectedLineAndTheDialogIsCreatedOnce()
    {
        Editor e;
        QVERIFY(!e.form.editDialog());
        Dialog* d = e.select(33);
        QVERIFY(d);
        QCOMPARE(d->windowTitle(), QStringLiteral("P9 Filetto destro        34[0  ] [0  ]"));
        d->CancelButton->click();
        QCOMPARE(e.select(60), d);
        QCOMPARE(d->windowTitle(), QStringLiteral("tipo -----     | "));
    }

    void dialogGoesWithTheMainWindow()
    {
        auto e = std::make_unique<Editor>();
        e->form.show();
        QPointer<Dialog> d = e->select(10);
        QVERIFY(d->isVisible());
        e->form.hide();
        QVERIFY(!d->isVisible());
        e.reset();
        QVERIFY(d.isNull());
    }

    void headerLineHidesTheDialog()
    {
        Editor e;
        Dialog* d = e.select(10);
        QVERIFY(d->isVisible());
        e.select(54);
        QVERIFY(!d->isVisible());
        QCOMPARE(d->windowTitle(), QStringLiteral("======== VOCI MENU ==========="));
    }

    void okReselectsTheLineAndHides()
    {
        Editor e;
        Dialog* d = e.select(30);
        const QString crcBefore = e.form.Label5->text();
        d->Combo1->setCurrentIndex(9);
        d->OKButton->click();
        QCOMPARE(e.param(30), 9);
        QCOMPARE(e.form.List1->currentRow(), 30);
        QVERIFY(!d->isVisible());
        QCOMPARE(d->windowTitle(), e.form.List1->item(30)->text());  // laid out again from the new list
        QVERIFY(e.form.Label5->text() != crcBefore);
    }

    void cancelChangesNothingAndDoesNotRebuild()
    {
        Editor e;
        e.form.module().FileParams[30] = 71;
        e.form.ListInit();
        Dialog* d = e.select(30);
        QListWidgetItem* firstItem = e.form.List1->item(0);
        e.form.setEnabled(false);  // a secondary window had disabled it
        QVERIFY(d->isEnabled());
        d->Combo1->setCurrentIndex(3);
        d->Option3->click();
        d->CancelButton->click();
        QCOMPARE(e.param(30), 71);
        QVERIFY(!d->isVisible());
        QVERIFY(e.form.isEnabled());
        QCOMPARE(e.form.List1->item(0), firstItem);
        QCOMPARE(e.form.List1->currentRow(), 30);
    }

    void enterConfirmsAndEscapeCancels()
    {
        Editor e;
        Dialog* d = e.select(40);
        d->Combo1->setCurrentIndex(4);
        QTest::keyClick(d, Qt::Key_Escape);
        QVERIFY(!d->isVisible());
        QCOMPARE(e.param(40), 0);

        d = e.select(41);
        d->Combo1->setCurrentIndex(4);
        d->Combo1->setFocus();
        QTest::keyClick(d->Combo1, Qt::Key_Return);
        QVERIFY(!d->isVisible());
        QCOMPARE(e.param(41), 4);
    }

    void clickOnTheSelectedLineReopensTheDialog()
    {
        Editor e;
        e.form.show();
        Dialog* d = e.select(12);
        d->CancelButton->click();
        const QRect line = e.form.List1->visualItemRect(e.form.List1->item(12));
        QTest::mouseClick(e.form.List1->viewport(), Qt::LeftButton, {}, line.center());
        QVERIFY(d->isVisible());
        QCOMPARE(d->windowTitle(), e.form.List1->item(12)->text());
    }

    void okWithNoSelectedLineChangesNothing()
    {
        Editor e;
        Dialog* d = e.select(10);
        e.form.ListInit();  // another operation rebuilds the list while the dialog is open
        QCOMPARE(e.form.List1->currentRow(), -1);
        QVERIFY(d->isVisible());
        d->Combo1->setCurrentIndex(5);
        d->OKButton->click();
        QCOMPARE(e.param(10), 0);
        QCOMPARE(e.form.List1->currentRow(), -1);
    }

    // ---- the window itself ----

    void controlsCarryTheirTextsAndTooltips_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("tip");
        QTest::newRow("Option1") << "Option1" << "Conteggio" << "L'uscita inizia con il conteggio e dura un giro";
        QTest::newRow("Option2") << "Option2" << "In fase 0"
                                 << "L'uscita avviene in fase al cancella conteggi ,dura un giro";
        QTest::newRow("Option3") << "Option3" << "Impulso"
                                 << "L'uscita e in fase con il conteggio e dura 500 millisecondi";
        QTest::newRow("Check2") << "Check2" << "abilitazione protezione uscite"
                                << "Abilita la segnalazione di difetti sulle uscite e le disabilita in caso di guasto";
        QTest::newRow("CancelButton") << "CancelButton" << "Annulla" << "";
        QTest::newRow("OKButton") << "OKButton" << "OK" << "";
    }
    void controlsCarryTheirTextsAndTooltips()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, tip);
        Editor e;
        auto* b = e.select(10)->findChild<QAbstractButton*>(name);
        QVERIFY(b);
        QCOMPARE(b->text(), text);
        QCOMPARE(b->toolTip(), tip);
    }

    void windowIsModelessOnTopWithItsFieldLimits()
    {
        Editor e;
        Dialog* d = e.select(10);
        QVERIFY(!d->isModal());
        QVERIFY(d->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(d->Combo1->toolTip(), QStringLiteral("Numero  uscita assegnata al comando"));
        QVERIFY(!d->Combo1->isEditable());
        QCOMPARE(d->Text1->maxLength(), 10);
        QCOMPARE(d->Text1->font().pointSizeF(), 9.75);
        d->Option2->click();
        d->Option3->click();
        QVERIFY(!d->Option1->isChecked() && !d->Option2->isChecked() && d->Option3->isChecked());
    }

    void geometryFollowsTheTwips()
    {
        Editor e;
        Dialog* d = e.select(10);
        const auto rect = [d](int l, int t, int w, int h) {
            return QRect(twips(d, l), twips(d, t), twips(d, w), twips(d, h));
        };
        QCOMPARE(d->geometry(), rect(2760, 3630, 4035, 1110));
        QCOMPARE(d->Combo1->geometry(), rect(120, 120, 975, 315));
        QCOMPARE(d->Option2->geometry(), rect(2760, 360, 975, 375));
        QCOMPARE(d->Text1->geometry(), rect(360, 120, 3375, 375));
        QCOMPARE(d->OKButton->geometry(), rect(1440, 600, 1215, 375));
        e.select(11);
        QCOMPARE(d->geometry(), rect(2760, 3630, 4035, 1110));
    }

    void tabOrderRunsFromOkToCheck2()
    {
        Editor e;
        Dialog* d = e.select(10);
        const QStringList expected{"OKButton", "CancelButton", "Combo1", "Option1",
                                   "Option2", "Option3", "Text1", "Check2"};
        QStringList order;
        QWidget* w = d->OKButton;
        do {
            if (expected.contains(w->objectName()))
                order << w->objectName();
            w = w->nextInFocusChain();
        } while (w != d->OKButton && order.size() < expected.size());
        QCOMPARE(order, expected);
    }
};

QTEST_MAIN(DialogTest)
#include "dialog_test.moc"
