// The edit dialog driven through the real main window and its list, on the offscreen platform:
// what each line opens with, what OK stores, and the window itself.
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
#include "support/control.h"

using tq::Dialog;

namespace {

// A main window with the list built from a working copy with the given boards byte.
struct Editor {
    tq::Form1 form;

    explicit Editor(std::uint8_t boards = 3) { set(3, QByteArray(1, char(boards))); }
    // Stores a parameter byte (lines 0..53) or a menu text (lines 55..) and rebuilds the list.
    void set(int line, const QByteArray& value)
    {
        if (line < 54)
            form.module().FileParams[line] = std::uint8_t(value[0]);
        else
            form.module().FileMenuTexts[line - 55] = value.toStdString();
        form.ListInit();
    }
    QByteArray stored(int line)
    {
        return line < 54 ? QByteArray(1, char(form.module().FileParams[line]))
                         : QByteArray::fromStdString(form.module().FileMenuTexts[line - 55]);
    }
    Dialog* select(int line) { control<QListWidget>(form, "List1")->setCurrentRow(line); return form.editDialog(); }
};

// The dialog as the user sees it: each shown control with its value. The choice list shows as
// "0-n" when its items are the numbers 0..n, then its selected item; '*' marks the option or box
// that is on, and a text field that has the focus with all of its text selected.
QString view(const Dialog* d)
{
    QStringList out;
    if (!d->Combo1->isHidden()) {
        QString items = QStringLiteral("0-%1").arg(d->Combo1->count() - 1);
        for (int i = 0; i < d->Combo1->count(); ++i)
            if (d->Combo1->itemText(i) != QString::number(i))
                items = QStringLiteral("item %1 is %2").arg(i).arg(d->Combo1->itemText(i));
        out << QStringLiteral("Combo1 %1:%2").arg(items, d->Combo1->currentText());
    }
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{d->Option1, d->Option2, d->Option3, d->Check2})
        if (!b->isHidden())
            out << b->objectName() + (b->isChecked() ? QStringLiteral("*") : QString());
    if (!d->Label1->isHidden())
        out << QStringLiteral("Label1:") + d->Label1->text();
    if (!d->Text1->isHidden()) {
        const bool ready = d->focusWidget() == d->Text1 && d->Text1->selectedText() == d->Text1->text();
        out << QStringLiteral("Text1") + (ready ? QStringLiteral("*:") : QStringLiteral(":")) + d->Text1->text();
    }
    return d->isHidden() ? QStringLiteral("hidden") : out.join(QLatin1Char(' '));
}

QByteArray byte(int value) { return QByteArray(1, char(value)); }

// Key by key, as a keyboard types it; Latin-1 letters too, which QTest::keyClicks refuses.
void type(QWidget* w, const QString& text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key(c.toUpper().unicode()), QString(c), Qt::NoModifier);
}

}  // namespace

class DialogTest : public QObject {
    Q_OBJECT
private slots:
    void eachLineOpensItsLayoutWithItsValue()
    {
        const struct { const char* name; int boards; int line; QByteArray value; QString view; } cases[] = {
            {"side", 3, 0, byte(1), "Combo1 0-1:1 Label1:0 = sinistra 1 = destra"},
            {"side, bit 5 is no part of it", 3, 0, byte(33), "Combo1 0-1:1 Label1:0 = sinistra 1 = destra"},
            {"side out of its list", 3, 0, byte(5), "Combo1 0-1: Label1:0 = sinistra 1 = destra"},
            {"striper", 3, 1, byte(0xC0), "Combo1 0-1:0 Label1:0 = meccanico 1 = pneumatico"},
            {"frame", 3, 2, byte(2), "Combo1 0-2:2 Label1:0 = Normale 1 = Intarsio \r\n2 = normale con calati alternati"},
            {"boards 18", 18, 3, byte(18), "Combo1 0-3:2 Check2*"},
            {"boards 2", 2, 3, byte(2), "Combo1 0-3:2 Check2"},
            {"boards 9: a byte above 8, not bit 4", 9, 3, byte(9), "Combo1 0-3:1 Check2*"},
            {"boards 8", 8, 3, byte(8), "Combo1 0-3:0 Check2"},
            {"first output", 3, 4, byte(3), "Combo1 0-24:3 Option1* Option2 Option3"},
            {"0x3F: bit 5 is no part of it", 4, 10, byte(0x3F), "Combo1 0-32:31 Option1* Option2 Option3"},
            {"0x45, 16 channels", 2, 10, byte(0x45), "Combo1 0-16:5 Option1 Option2* Option3"},
            {"0x85, 16 channels", 2, 10, byte(0x85), "Combo1 0-16:5 Option1 Option2 Option3*"},
            {"0xC5, 16 channels", 2, 10, byte(0xC5), "Combo1 0-16:5 Option1 Option2 Option3*"},
            {"16 of 16 channels", 2, 10, byte(16), "Combo1 0-16:16 Option1* Option2 Option3"},
            {"20 beyond 16 channels", 2, 10, byte(20), "Combo1 0-16: Option1* Option2 Option3"},
            {"no boards", 0, 20, byte(0), "Combo1 0-0:0 Option1* Option2 Option3"},
            {"boards 255: 1912 channels", 255, 53, byte(0), "Combo1 0-255:0 Option1* Option2 Option3"},
            {"first menu text", 3, 55, "seleziona", "Text1*:seleziona"},
            {"last menu text", 3, 65, "ranghi \xE8", QString::fromLatin1("Text1*:ranghi \xE8")},
        };
        for (const auto& c : cases) {
            Editor e(std::uint8_t(c.boards));
            e.set(c.line, c.value);
            const QString name = QString::fromLatin1(c.name) + QStringLiteral(": ");
            QCOMPARE(name + view(e.select(c.line)), name + c.view);
        }
    }

    void okStoresTheEncodedValue()
    {
        // Choice -2 leaves the list as the line opened it; the buttons are clicked in the order given.
        const struct { const char* name; int boards, line; QByteArray before; int choice; QStringList clicks;
                       QString typed; QByteArray stored; } cases[] = {
            {"7 Conteggio", 3, 10, byte(71), 7, {"Option1"}, {}, byte(7)},
            {"7 In fase 0", 3, 10, byte(0), 7, {"Option2"}, {}, byte(71)},
            {"7 Impulso after In fase 0", 3, 10, byte(0), 7, {"Option2", "Option3"}, {}, byte(135)},
            {"unlisted output In fase 0", 2, 10, byte(20), -2, {"Option2"}, {}, byte(64)},
            {"255 Impulso: no carry", 255, 20, byte(0), 255, {"Option3"}, {}, byte(255)},
            {"2 boards protected", 0, 3, byte(0), 2, {"Check2"}, {}, byte(18)},
            {"ABC", 3, 58, "vecchio", -2, {}, "ABC", "ABC       "},
            {"empty", 3, 58, "vecchio", -2, {}, "", "          "},
            {"10 characters", 3, 58, "vecchio", -2, {}, "0123456789", "0123456789"},
            {"12 typed, 10 taken", 3, 58, "vecchio", -2, {}, "ABCDEFGHIJKL", "ABCDEFGHIJ"},
            {"Latin-1 letter", 3, 58, "vecchio", -2, {}, QString::fromUtf8("pi\u00F9"), "pi\xF9       "},
            {"beyond Latin-1 refused", 3, 58, "vecchio", -2, {}, QString::fromUtf8("A\u20ACB"), "AB        "},
        };
        for (const auto& c : cases) {
            Editor e(std::uint8_t(c.boards));
            e.set(c.line, c.before);
            Dialog* d = e.select(c.line);
            if (c.choice != -2)
                d->Combo1->setCurrentIndex(c.choice);
            for (const QString& option : c.clicks)
                d->findChild<QAbstractButton*>(option)->click();
            if (c.line >= 55) {
                QTest::keyClick(d->Text1, Qt::Key_Delete);  // the whole text is selected
                type(d->Text1, c.typed);
            }
            d->OKButton->click();
            const QString name = QString::fromLatin1(c.name) + QStringLiteral(": ");
            QCOMPARE(name + e.stored(c.line).toHex(' '), name + c.stored.toHex(' '));
        }
    }

    // A control left set on one line never reaches the next line's byte: an output's timing a
    // selector's or the boards', a ticked and then hidden protection box an output's.
    void aControlLeftSetOnAnotherLineStoresNothing()
    {
        const struct { int boards, first; const char* left; int line, choice, stored; } cases[] = {
            {3, 10, "Option2", 0, 0, 0}, {3, 10, "Option2", 0, 1, 1},
            {0, 12, "Option3", 3, 2, 2}, {2, 3, "Check2", 4, 5, 5},
        };
        for (const auto& c : cases) {
            Editor e(std::uint8_t(c.boards));
            Dialog* d = e.select(c.first);
            d->findChild<QAbstractButton*>(c.left)->click();
            e.select(c.line);
            d->Combo1->setCurrentIndex(c.choice);
            d->OKButton->click();
            QCOMPARE(e.stored(c.line), byte(c.stored));
        }
    }

    void theHeaderHidesTheDialogAndTheMainWindowTakesItAlong()
    {
        auto e = std::make_unique<Editor>();
        e->form.show();
        QPointer<Dialog> d = e->select(33);
        e->select(54);
        QCOMPARE(view(d), QStringLiteral("hidden"));
        QCOMPARE(e->select(10), d);  // the same dialog, shown again
        QVERIFY(d->isVisible());
        e->form.hide();
        QCOMPARE(view(d), QStringLiteral("hidden"));
        e.reset();
        QVERIFY(d.isNull());
    }

    // OK and Enter store, rebuild the list and select the line again, and leave a main window that
    // a secondary window disabled waiting; Cancel and Escape change nothing, rebuild nothing and
    // enable it. Either way the dialog hides, and a click on the line still selected opens it again.
    void onlyOkAndEnterStoreAndRebuild()
    {
        for (const QString way : {"OK", "Enter", "Cancel", "Escape"}) {
            const bool store = way == QStringLiteral("OK") || way == QStringLiteral("Enter");
            Editor e;
            e.form.show();
            e.set(30, byte(71));
            Dialog* d = e.select(30);
            QListWidget* List1 = control<QListWidget>(e.form, "List1");
            List1->item(0)->setText(QStringLiteral("marked"));  // a rebuild would restore it
            e.form.setEnabled(false);
            d->Combo1->setCurrentIndex(9);
            d->Option3->click();
            d->Combo1->setFocus();
            if (way == QStringLiteral("Enter") || way == QStringLiteral("Escape"))
                QTest::keyClick(d->Combo1, store ? Qt::Key_Return : Qt::Key_Escape);
            else
                (store ? d->OKButton : d->CancelButton)->click();
            QCOMPARE(way + e.stored(30).toHex(' '), way + byte(store ? 137 : 71).toHex(' '));
            QCOMPARE(view(d), QStringLiteral("hidden"));
            QCOMPARE(e.form.isEnabled(), !store);
            QCOMPARE(List1->item(0)->text() == QStringLiteral("marked"), !store);
            QCOMPARE(List1->currentRow(), 30);
            QCOMPARE(d->windowTitle(), List1->item(30)->text());  // laid out again from the new list
            e.form.setEnabled(true);
            QTest::mouseClick(List1->viewport(), Qt::LeftButton, {}, List1->visualItemRect(List1->item(30)).center());
            QCOMPARE(view(d), store ? QStringLiteral("Combo1 0-24:9 Option1 Option2 Option3*")
                                    : QStringLiteral("Combo1 0-24:7 Option1 Option2* Option3"));
        }
    }

    void okWithNoSelectedLineChangesNothing()
    {
        Editor e;
        Dialog* d = e.select(10);
        e.form.ListInit();  // another operation rebuilds the list while the dialog is open
        d->Combo1->setCurrentIndex(5);
        d->OKButton->click();
        QCOMPARE(e.stored(10), byte(0));
        QCOMPARE(control<QListWidget>(e.form, "List1")->currentRow(), -1);
    }

    void windowIsModelessOnTopWithItsTextsAndTabOrder()
    {
        Editor e;
        Dialog* d = e.select(10);
        QVERIFY(!d->isModal() && (d->windowFlags() & Qt::WindowStaysOnTopHint) && !d->Combo1->isEditable());
        QCOMPARE(d->Text1->font().pointSizeF(), 9.75);
        const qreal dpi = d->screen()->logicalDotsPerInch();
        const auto px = [dpi](int twips) { return qRound(twips * dpi / 1440.0); };
        const QRect at(px(2760), px(3630), px(4035), px(1110));
        QCOMPARE(d->geometry(), at);
        e.select(11);
        QCOMPARE(d->geometry(), at);  // laid out again without moving
        QCOMPARE(d->Combo1->toolTip(), QStringLiteral("Numero  uscita assegnata al comando"));
        const struct { QAbstractButton* b; const char* textAndTip; } buttons[] = {
            {d->Option1, "Conteggio|L'uscita inizia con il conteggio e dura un giro"},
            {d->Option2, "In fase 0|L'uscita avviene in fase al cancella conteggi ,dura un giro"},
            {d->Option3, "Impulso|L'uscita e in fase con il conteggio e dura 500 millisecondi"},
            {d->Check2, "abilitazione protezione uscite|"
                        "Abilita la segnalazione di difetti sulle uscite e le disabilita in caso di guasto"},
            {d->CancelButton, "Annulla|"},
            {d->OKButton, "OK|"},
        };
        for (const auto& c : buttons)
            QCOMPARE(c.b->text() + '|' + c.b->toolTip(), QString::fromLatin1(c.textAndTip));

        // Tab runs from OK to Check2.
        const QStringList expected{"OKButton", "CancelButton", "Combo1", "Option1", "Option2", "Option3", "Text1", "Check2"};
        QStringList order{"OKButton"};
        for (QWidget* w = d->OKButton->nextInFocusChain(); w != d->OKButton; w = w->nextInFocusChain())
            if (expected.contains(w->objectName()))
                order << w->objectName();
        QCOMPARE(order, expected);
    }
};

QTEST_MAIN(DialogTest)
#include "dialog_test.moc"
