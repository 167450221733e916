// The main window's safety net on the offscreen platform, with a scripted port in place of the
// line: the lines that differ from the controller marked and counted after every refresh, the
// device column greyed before anything was read, and the backups reached from "File". The
// faults guarded against: a mark left on a line after the copies agree, a mark missing where the
// commit would refuse, a count that is not the marks', a list rebuilt (its selection lost) only
// to mark it, and a backup opened otherwise than as "apri file" opens a file.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QStyle>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <QComboBox>
#include <QPushButton>

#include <functional>

#include "app/Form1.h"
#include "editor/dialog.h"
#include "files/backups.h"
#include "params/crc.h"
#include "support/connected_form1.h"
#include "ui/message_box.h"

using tq::Form1;

namespace {

// The controller's record: parameter i holds 3 i + 1, with its CRC; and its twelve texts.
std::string deviceRecord()
{
    tq::ParamRecord r{};
    for (int i = 0; i < tq::kParamCount; ++i)
        r[i] = static_cast<std::uint8_t>(3 * i + 1);
    tq::Crcgen(r);
    return std::string(r.begin(), r.begin() + tq::kDeviceRecordSize);
}
const std::string kDeviceTexts = "SELEZIONA CARTELLA  PARTE     NUOVA LETTDISCO     TIPO----- TAGLIA--  PARTE 2   "
                                 "CARRO     SCOLLO    RANGHI    CONTAPEZZI";

// The main window on a scripted port (support/connected_form1.h), and what these tests ask of it.
struct ConnectedForm1 : tq::test::ConnectedForm1 {
    // A read-back from the menu item, the controller answering each request at once.
    void readBack(const char* item, const std::string& record = deviceRecord(), const std::string& texts = kDeviceTexts)
    {
        use(form, item);
        port->feed(record);
        form.Timer1_Timer();
        port->feed(texts);
        form.Timer1_Timer();
        QCOMPARE(m().Engine.mode(), tq::ReceiveMode::Terminal);
    }

    // The rows of List1 that are marked. A line is marked by its weight, its colour and its
    // tooltip together, or not at all.
    QList<int> marked()
    {
        QList<int> rows;
        const QListWidget* List1 = control<QListWidget>(form, "List1");
        const QColor plain = List1->palette().color(QPalette::Text);
        for (int row = 0; row < List1->count(); ++row) {
            const QListWidgetItem* item = List1->item(row);
            const bool bold = item->font().bold();
            const bool coloured = item->foreground().style() != Qt::NoBrush && item->foreground().color() != plain;
            const bool tip = !item->toolTip().isEmpty();
            if (bold != coloured || bold != tip)
                qWarning("row %d half marked: bold %d colour %d tooltip %d", row, bold, coloured, tip);
            if (bold || coloured || tip)
                rows << row;
        }
        return rows;
    }

    QString count() const { return control<QLabel>(form, "Differenze")->text(); }

    // An edit through the dialog, as the user makes it: the line selected, a choice, OK.
    void editParameter(int line, int choice)
    {
        control<QListWidget>(form, "List1")->setCurrentRow(line);
        tq::Dialog* d = form.editDialog();
        d->Combo1->setCurrentIndex(choice);
        d->OKButton->click();
    }
};

// The darkest grey level among the pixels of character `column` of a list row: the first digit
// of a value field.
int darkest(QListWidget* list, int row, int column)
{
    QCoreApplication::processEvents();  // the list lays its items out when the loop runs
    const QImage image = list->viewport()->grab().toImage();
    const QRect line = list->visualItemRect(list->item(row));
    const QFontMetrics metrics(list->font());
    const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    const int x0 = line.left() + margin + metrics.horizontalAdvance(QString(column, QLatin1Char('x')));
    const qreal scale = image.devicePixelRatio();
    int level = 255;
    for (int y = line.top(); y <= line.bottom(); ++y)
        for (int x = x0; x < x0 + metrics.horizontalAdvance(QLatin1Char('x')); ++x)
            level = std::min(level, qGray(image.pixel(int(x * scale), int(y * scale))));
    return level;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}  // namespace

class Form1BackupsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    // Every test keeps its backups apart.
    void init()
    {
        static int test = 0;
        qputenv("TQ310_BACKUPS", m_dir.filePath(QStringLiteral("copie%1").arg(++test)).toLocal8Bit());
    }

    void beforeAnyReadBackNothingIsMarkedAndTheDeviceValuesAreGreyed()
    {
        ConnectedForm1 c;
        c.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&c.form));
        c.m().FileParams[0] = 1;
        c.m().FileMenuTexts[0] = "ABC";
        c.form.ListInit();
        QCOMPARE(c.marked(), QList<int>());
        QCOMPARE(c.count(), QStringLiteral("nessuna lettura dal TQ310"));
        // Working value 1, device value 0: the device value is drawn lighter.
        QListWidget* List1 = control<QListWidget>(c.form, "List1");
        const int working = darkest(List1, 0, 28), device = darkest(List1, 0, 34);
        QVERIFY2(working < 100 && device > working + 60, qPrintable(QStringLiteral("%1 %2").arg(working).arg(device)));
        QCOMPARE(List1->item(0)->text(), QStringLiteral("Lato di inizio conteggio  1[1  ] [0  ]"));

        c.readBack("daltq310");
        QVERIFY(darkest(List1, 0, 34) < 100);
        QCOMPARE(List1->item(0)->text(), QStringLiteral("Lato di inizio conteggio  1[1  ] [1  ]"));
    }

    void marksFollowEveryRefreshAndTheCountIsTheirs()
    {
        ConnectedForm1 c;
        c.form.show();
        const QString shortText = m_dir.filePath(QStringLiteral("corto.ini"));
        QByteArray file = "122013\r\n";
        for (int i = 0; i < tq::kParamCount; ++i)
            file += QByteArray::number(3 * i + 1) + "\r\n";
        file += "SELEZIONA \r\nCARTELLA\r\n";  // the second text two characters short
        writeFile(shortText, file);
        c.form.askPath = [&](bool) { return shortText; };
        tq::ui::MessageCapture capture;

        const struct { const char* step; std::function<void()> act; QList<int> rows; const char* count; } steps[] = {
            {"copied from the controller", [&] { c.readBack("ChipBuffer"); }, {}, "nessuna riga diversa dal TQ310"},
            {"one parameter edited", [&] { c.editParameter(30, 5); }, {30}, "1 riga diversa dal TQ310"},
            {"read back without copying", [&] { c.readBack("daltq310"); }, {30}, "1 riga diversa dal TQ310"},
            {"copied again", [&] { c.readBack("ChipBuffer"); }, {}, "nessuna riga diversa dal TQ310"},
            // Texts 2 to 11 keep the controller's: only the short one differs.
            {"a file with a short text", [&] { use(c.form, "aprif"); }, {56}, "1 riga diversa dal TQ310"},
            {"the controller's texts changed",
             [&] { c.readBack("daltq310", deviceRecord(), "SELEZIONA CARTELLA  " + std::string(100, 'Z')); },
             {56, 57, 58, 59, 60, 61, 62, 63, 64, 65}, "10 righe diverse dal TQ310 + 1 testo non in lista"},
        };
        for (const auto& s : steps) {
            s.act();
            QVERIFY2(c.marked() == s.rows, s.step);
            QVERIFY2(c.count() == QLatin1String(s.count), qPrintable(c.count()));
            QVERIFY2(c.count().startsWith(QString::number(s.rows.size())) || s.rows.isEmpty(), s.step);
        }
        const QListWidgetItem* text1 = control<QListWidget>(c.form, "List1")->item(56);
        QCOMPARE(text1->toolTip(), QStringLiteral("buffer [CARTELLA]  TQ310 [CARTELLA  ]"));
        QCOMPARE(text1->text(), QStringLiteral("cartella       | CARTELLA"));
        QVERIFY(capture.messages.empty());
    }

    // The texts come a tick after the record: their marks appear without rebuilding the list.
    void theTextsMarkTheListWithoutRebuildingIt()
    {
        ConnectedForm1 c;
        c.readBack("ChipBuffer");
        // A first text the controller changed, then took back: marked, then unmarked. The record
        // rebuilds the list marked by the texts read before.
        const struct { std::string texts; QList<int> before, after; } reads[] = {
            {"ALTRO     " + kDeviceTexts.substr(10), {}, {55}},
            {kDeviceTexts, {55}, {}},
        };
        for (const auto& r : reads) {
            use(c.form, "daltq310");
            c.port->feed(deviceRecord());
            c.form.Timer1_Timer();
            QCOMPARE(c.marked(), r.before);
            // A rebuild would restore the header.
            control<QListWidget>(c.form, "List1")->item(54)->setText(QStringLiteral("kept"));
            c.port->feed(r.texts);
            c.form.Timer1_Timer();
            QCOMPARE(c.marked(), r.after);
            QCOMPARE(control<QListWidget>(c.form, "List1")->item(54)->text(), QStringLiteral("kept"));
        }
    }

    void theLastItemOfFileOpensABackupAsApriFileOpensAFile()
    {
        ConnectedForm1 c;
        QCOMPARE(control<QMenu>(c.form, "config")->actions().last(), control<QAction>(c.form, "apricopia"));
        QCOMPARE(control<QAction>(c.form, "apricopia")->text(), QStringLiteral("apri copia di sicurezza"));

        c.readBack("daltq310");
        const QString folder = tq::backupFolder();
        const QStringList backups = tq::backupFiles(folder);
        QCOMPARE(backups.size(), 1);
        const QString backup = folder + QLatin1Char('/') + backups.first();

        QString offered;
        const struct { QString chosen; QString label1; bool parUsb; } cases[] = {
            {QString(), QStringLiteral(" File = Dati di default"), false},  // cancelled: no message, nothing changed
            {backup, QStringLiteral(" File = ") + backup, true},
        };
        for (const auto& k : cases) {
            control<QAction>(c.form, "ParUsb")->setEnabled(false);
            c.form.askBackupPath = [&](const QString& f) { offered = f; return k.chosen; };
            tq::ui::MessageCapture capture;
            use(c.form, "apricopia");
            QCOMPARE(offered, folder);
            QVERIFY(capture.messages.empty());
            QCOMPARE(control<QLabel>(c.form, "Label1")->text(), k.label1);
            QCOMPARE(control<QAction>(c.form, "ParUsb")->isEnabled(), k.parUsb);
        }
        QCOMPARE(c.m().CurrentFileName, backup.toStdString());
        QVERIFY(std::equal(c.m().ChipParams.begin(), c.m().ChipParams.begin() + 56, c.m().FileParams.begin()));
        QCOMPARE(c.marked(), QList<int>());
    }

    void theBackupDialogOpensInTheBackupsFolderOnceThereIsABackup()
    {
        Form1 form;
        const QString folder = tq::backupFolder();
        const struct { bool backup; QString shown; QStringList boxes; } cases[] = {
            // No folder yet: an empty dialog would only puzzle.
            {false, QString(), {QStringLiteral("Nessuna copia di sicurezza in ") + folder}},
            {true, folder + QStringLiteral("|File di inizializzazione(*.ini)"), {}},
        };
        for (const auto& c : cases) {
            if (c.backup) {
                QVERIFY(QDir().mkpath(folder));
                writeFile(folder + QStringLiteral("/20261206-153012-251-88.ini"), "122013\r\n");
            }
            QString shown;
            QTimer::singleShot(0, &form, [&] {
                if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                    shown = dialog->directory().absolutePath() + QLatin1Char('|') + dialog->nameFilters().join(QLatin1Char(';'));
                    dialog->reject();
                }
            });
            tq::ui::MessageCapture capture;
            use(form, "apricopia");
            QCoreApplication::processEvents();  // the look for a dialog, also when none came
            QStringList boxes;
            for (const tq::ui::ShownMessage& m : capture.messages)
                boxes << m.shown;
            QCOMPARE(shown, c.shown);
            QCOMPARE(boxes, c.boxes);
        }
        QVERIFY(form.fileDialog()->directory().absolutePath() != folder);  // "apri file" keeps its own folder
    }
};

QTEST_MAIN(Form1BackupsTest)
#include "form1_backups_test.moc"

