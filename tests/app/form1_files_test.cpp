// The "File" menu and "Parametri da chiave usb" on the real main window (offscreen), over real
// files: what the user sees after Open, Save and Save as, and the USB compiler from start to end.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

#include "app/Form1.h"
#include "support/control.h"
#include "support/disk_full.h"
#include "ui/message_box.h"

using tq::Form1;
using tq::test::withDiskFull;
using tq::ui::MessageIcon;

namespace {

const std::string kOpenFailure = "Errore nel  file oppure  file non trovato  ";
const QString kDefaultCaption = QStringLiteral(" File = Dati di default");

QByteArray contentOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The message boxes shown, one "icon|title|text" each.
QStringList shown(const tq::ui::MessageCapture& capture)
{
    QStringList out;
    for (const tq::ui::ShownMessage& m : capture.messages)
        out << QStringLiteral("%1|%2|").arg(int(m.icon)).arg(QString::fromLatin1(m.title)) + m.shown;
    return out;
}

QStringList error(const QString& text, MessageIcon icon)
{
    return {QStringLiteral("%1|ERRORE|").arg(int(icon)) + text};
}

QStringList error(const std::string& text, MessageIcon icon)
{
    return error(QString::fromLatin1(text), icon);
}

// What the USB compiler shows: the target path, then whether "Procedi" is enabled and whether
// detection runs.
QString usbState(const tq::TrovaUsb& w)
{
    return w.Label1->text() + (w.Command1->isEnabled() ? " Procedi" : "") + (w.Timer1->isActive() ? " detecting" : "");
}

}  // namespace

class Form1FilesTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    // A main window in the state after the port set-up, with the file dialog answering `answer`.
    std::unique_ptr<Form1> makeForm(const QString& answer = QString())
    {
        auto form = std::make_unique<Form1>();
        form->module().CurrentFileName = "Dati di default";
        form->ListInit();
        control<QAction>(*form, "ParUsb")->setEnabled(false);
        form->askPath = [answer](bool) { return answer; };
        return form;
    }

    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private slots:
    void openShowsTheFileOrReportsWithoutRefreshingAndSaveWritesItBack()
    {
        const QString good = path("good.ini"), tooBig = path("toobig.ini");
        // Fourteen texts: a save writes back the first twelve, bytes as held.
        const QByteArray saved = "122013\r\n1\r\n" + QByteArray("0\r\n").repeated(53) + "\r\n\xE8 BETA  \r\n" +
                                 QByteArray("T\r\n").repeated(10);
        writeFile(good, saved + "T12\r\nT13\r\n");
        writeFile(tooBig, "122013\r\n1\r\n256\r\n");
        const struct { QString answer; QStringList messages; QString label1, label5, line56; std::string fileName; } cases[] = {
            {good, {}, QStringLiteral(" File = ") + good, "250-32 File", QString::fromUtf8("cartella       | è BETA  "),
             good.toStdString()},
            {tooBig, error(kOpenFailure + "256", MessageIcon::Warning), kDefaultCaption, "102-71 File", "cartella       | ",
             tooBig.toStdString()},
            {QString(), error(kOpenFailure, MessageIcon::Warning), kDefaultCaption, "102-71 File", "cartella       | ",
             "Dati di default"},  // the dialog cancelled
        };
        for (const auto& c : cases) {
            auto form = makeForm(c.answer);
            tq::ui::MessageCapture capture;
            use(*form, "aprif");
            QCOMPARE(control<QLabel>(*form, "Label1")->text(), c.label1);
            QCOMPARE(control<QLabel>(*form, "Label5")->text(), c.label5);
            QCOMPARE(control<QListWidget>(*form, "List1")->item(56)->text(), c.line56);
            QCOMPARE(form->module().CurrentFileName, c.fileName);
            QCOMPARE(control<QAction>(*form, "ParUsb")->isEnabled(), c.messages.isEmpty());
            if (c.answer == good) {
                use(*form, "salvafile");
                QCOMPARE(contentOf(good), saved);
            }
            QCOMPARE(shown(capture), c.messages);
        }
    }

    void saveAsWritesTheFileShowingTheBarePathOrIsSilent()
    {
        const QString startUp = path("startup");  // typed without ".ini": used as typed
        writeFile(path("plain"), "x");
        const QString unreachable = path("plain") + QStringLiteral("/sub.ini");
        const QString greek = m_dir.filePath(QString::fromUtf8("Ρυθμίσεις.ini"));
        const struct { QString answer; QString label1; std::string fileName; } cases[] = {
            {startUp, startUp, startUp.toStdString()},
            {greek, greek, QFile::encodeName(greek).toStdString()},
            {QString(), kDefaultCaption, "Dati di default"},  // the dialog cancelled
            {unreachable, kDefaultCaption, unreachable.toStdString()},
        };
        for (const auto& c : cases) {
            auto form = makeForm(c.answer);
            tq::ui::MessageCapture capture;
            use(*form, "salvaas");
            QCOMPARE(shown(capture), QStringList());
            QCOMPARE(control<QLabel>(*form, "Label1")->text(), c.label1);
            QCOMPARE(form->module().CurrentFileName, c.fileName);
        }
        QCOMPARE(contentOf(startUp), "122013\r\n" + QByteArray("0\r\n").repeated(54) + QByteArray("\r\n").repeated(12));
    }

    void plainSaveRefusesOrReportsAndKeepsTheOldFile()
    {
        const QString file = path("kept.ini");
        const QByteArray old = "122013\r\n7\r\nold content\r\n";
        writeFile(file, old);
        // A folder named in Greek and Cyrillic that is not there: the box shows the path as the
        // system names it, not a question mark for each letter beyond Latin-1.
        const QString foreign = m_dir.filePath(QString::fromUtf8("Παράμετροι/настройки.ini"));
        const QString failed = QString::fromUtf8("Errore nella scrittura: il file NON è stato salvato  ");
        const struct { QString target; QStringList message; } cases[] = {
            {QString(), error(std::string("Non  \xE8 aperto alcun file ,fai salva con nome per aprirne uno"), MessageIcon::None)},
            {file, error(failed + file, MessageIcon::Warning)},
            {foreign, error(failed + foreign, MessageIcon::Warning)},
        };
        for (const auto& c : cases) {
            auto form = makeForm();
            form->module().CurrentFileName = QFile::encodeName(c.target).toStdString();
            form->module().FileMenuTexts[0] = std::string(5000, 'n');  // more than the disk takes
            tq::ui::MessageCapture capture;
            withDiskFull(1000, [&] { use(*form, "salvafile"); });
            QCOMPARE(shown(capture), c.message);
            QCOMPARE(contentOf(file), old);
        }
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("kept.ini*")}, QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("kept.ini")});
    }

    void fileDialogHasOneFilterConfirmsReplacingAndRemembersThePath()
    {
        Form1 form;
        // Not built before it is needed: a file dialog lists and watches the working folder.
        QVERIFY(!form.findChild<QFileDialog*>());
        QFileDialog* const Dialog1 = form.fileDialog();
        QCOMPARE(Dialog1->nameFilters(), QStringList{QStringLiteral("File di inizializzazione(*.ini)")});
        QVERIFY(Dialog1->defaultSuffix().isEmpty());
        QTemporaryDir sub;
        const QString chosen = sub.filePath(QStringLiteral("chosen.ini"));
        QString shown;  // the folder shown at the last opening, and whether replacing a file asks first
        for (bool save : {false, true}) {
            QTimer::singleShot(0, Dialog1, [&] {
                shown = Dialog1->directory().absolutePath() +
                        (Dialog1->testOption(QFileDialog::DontConfirmOverwrite) ? "" : " asks");
                Dialog1->selectFile(chosen);
                static_cast<QDialog*>(Dialog1)->accept();  // as the dialog's own button does
            });
            QCOMPARE(form.askPath(save), chosen);
        }
        QCOMPARE(shown, sub.path() + QStringLiteral(" asks"));
        QCOMPARE(form.findChildren<QFileDialog*>().size(), 1);
    }

    void usbCompilerFindsTheKeyWritesTheFileAndRemembersTheDrives()
    {
        QTemporaryDir key;
        const QString target = key.path() + QStringLiteral("/tq310/contq310.bin");
        QStringList roots{QStringLiteral("/")};
        auto form = makeForm();
        form->show();
        form->module().FileParams[0] = 1;  // changed without a list refresh: the write recomputes the CRC
        tq::TrovaUsb& usb = form->usbCompiler();
        usb.setDriveSource([&roots] { return roots; });
        control<QAction>(*form, "ParUsb")->setEnabled(true);

        use(*form, "ParUsb");
        QVERIFY(usb.isVisible() && !form->isEnabled());
        const QString instructions = usb.Text1->toPlainText();
        QCOMPARE(instructions, QStringLiteral(
            "PROCEDURA PER LA PREPARAZIONE DELLA CONFIGURAZIONE:\n\n"
            " Inserire una chiave usb valida per TQ310,attendere che\n"
            " venga visualizzata la lettera assegnata poi confermare.\n"
            " Verra preparato un file CONTQ310.BIN pronto per essere letto dal TQ310\n\n"
            " NOTA: se la chiave era gia inserita deve essere tolta e poi reinserita\n"
            "       Se esiste gia un file  verra sovrascritto  senza condizioni\n\n"
            "Sul TQ310 si deve inserire la chiave usb  poi premere l'apposito pulsante per caricare \n"
            " la nuova configurazione.\n\n"
            "Il file di configurazione permane nella memoria del TQ310,qualora dovesse verificarsi\n"
            "una perdita di dati il sistema richedera automaticamente un aggiornamento "));
        QCOMPARE(usb.windowTitle(), QStringLiteral("Compilatore per file parametri CONTQ310.BIN "));
        usb.Timer1_Timer();
        QCOMPARE(usbState(usb), QStringLiteral(" detecting"));
        roots << key.path();
        usb.Timer1_Timer();
        QCOMPARE(usbState(usb), target + QStringLiteral(" Procedi"));

        // The key has no folder tq310 yet.
        const QString log = QStringLiteral(" Apro il file ") + target + QStringLiteral(
            "\n calcolo crc = 250 - 32\n Scritti 54 parametri di configurazione + 2 per CRC nel disco usb\n"
            " Scritte 12 stringhe definizioni lingua  nel disco usb\n\n OPERAZIONE COMPLETATA !!");
        usb.Command1->click();
        QCOMPARE(usb.Text1->toPlainText(),
                 log + QStringLiteral(" ERRORE NELLA SCRITTURA\nForse la chiave usb non contiene la cartella TQ310"));
        QVERIFY(!QFile::exists(target));
        QCOMPARE(usbState(usb), target + QStringLiteral(" Procedi"));
        QCOMPARE(control<QLabel>(*form, "Label5")->text(), QStringLiteral("250-32 File"));

        QVERIFY(QDir(key.path()).mkdir(QStringLiteral("tq310")));
        writeFile(target, QByteArray(1000, 'o'));  // replaced without asking
        usb.Command1->click();
        QCOMPARE(usb.Text1->toPlainText(), log);
        QCOMPARE(contentOf(target), ">$$>01" + QByteArray(106, '0') + "FA20" + QByteArray("20").repeated(120) + "<$$<<$$<\r\n");

        usb.Command2->click();
        QVERIFY(!usb.isVisible() && form->isEnabled() && !usb.Timer1->isActive());

        // Reopened with the key still in: the drives known before it was found serve again.
        use(*form, "ParUsb");
        QCOMPARE(usb.Text1->toPlainText(), instructions);
        QCOMPARE(usbState(usb), QStringLiteral(" detecting"));
        usb.Timer1_Timer();
        QCOMPARE(usbState(usb), target + QStringLiteral(" Procedi"));
    }
};

QTEST_MAIN(Form1FilesTest)
#include "form1_files_test.moc"
