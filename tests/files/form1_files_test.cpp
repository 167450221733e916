// The "File" menu and "Parametri da chiave usb" on the real main window (offscreen): what the
// user sees after Open, Save and Save as, and the USB compiler opened from the main window.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/Form1.h"
#include "files/file_size_limit.h"
#include "ui/message_box.h"

using tq::Form1;
using tq::ui::MessageIcon;
using tq::ui::ShownMessage;

namespace {

const char* const kOpenFailure = "Errore nel  file oppure  file non trovato  ";

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

// A valid file whose parameter n holds n, with the given texts.
QByteArray paramFile(const QList<QByteArray>& texts)
{
    QByteArray out = "122013\r\n";
    for (int n = 1; n <= 54; ++n)
        out += QByteArray::number(n) + "\r\n";
    for (const QByteArray& t : texts)
        out += t + "\r\n";
    return out;
}

QStringList listLines(const Form1& form)
{
    QStringList lines;
    for (int i = 0; i < form.List1->count(); ++i)
        lines << form.List1->item(i)->text();
    return lines;
}

bool sameMessage(const ShownMessage& m, const std::string& text, MessageIcon icon)
{
    return m.text == text && m.icon == icon && m.title == "ERRORE";
}

}  // namespace

class Form1FilesTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    // A main window in the state after the port set-up, with the dialog answering `answer`.
    std::unique_ptr<Form1> makeForm(const QString& answer = QString())
    {
        auto form = std::make_unique<Form1>();
        form->module().CurrentFileName = "Dati di default";
        form->ListInit();
        form->ParUsb->setEnabled(false);
        form->askPath = [answer](bool) { return answer; };
        return form;
    }

    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private slots:
    void openShowsTheFileAndEnablesParUsb()
    {
        const QString file = path("good.ini");
        writeFile(file, paramFile({"ALFA", "\xE8 BETA"}));
        auto form = makeForm(file);
        tq::ui::MessageCapture capture;
        form->aprif->trigger();
        QVERIFY(capture.messages.empty());
        QCOMPARE(form->Label1->text(), QStringLiteral(" File = ") + file);
        QCOMPARE(form->List1->item(0)->text(), QStringLiteral("Lato di inizio conteggio  1[1  ] [0  ]"));
        QCOMPARE(form->List1->item(56)->text(), QString::fromUtf8("cartella       | è BETA"));
        QCOMPARE(form->Label5->text(), QStringLiteral("%1-%2 File").arg(form->module().FileParams[54]).arg(form->module().FileParams[55]));
        QVERIFY(form->Label5->text() != QStringLiteral("102-71 File"));
        QVERIFY(form->ParUsb->isEnabled());
    }

    void failedOpenReportsAndDoesNotRefresh()
    {
        const struct { const char* name; QByteArray bytes; std::string message; } cases[] = {
            {"toobig.ini", paramFile({"A"}).replace("\r\n7\r\n", "\r\n256\r\n"), std::string(kOpenFailure) + "256"},
            {"version.ini", "122012\r\n", std::string(kOpenFailure) + "  (VERSIONE DEL FILE NON CORRETTA)"},
            {"missing.ini", QByteArray(), kOpenFailure},
        };
        for (const auto& c : cases) {
            const QString file = path(c.name);
            if (!c.bytes.isEmpty())
                writeFile(file, c.bytes);
            auto form = makeForm(file);
            const QStringList before = listLines(*form);
            tq::ui::MessageCapture capture;
            form->aprif->trigger();
            QCOMPARE(capture.messages.size(), std::size_t(1));
            QVERIFY2(sameMessage(capture.messages[0], c.message, MessageIcon::Warning), c.name);
            QCOMPARE(listLines(*form), before);
            QCOMPARE(form->Label1->text(), QStringLiteral(" File = Dati di default"));
            QCOMPARE(form->Label5->text(), QStringLiteral("102-71 File"));
            QCOMPARE(form->module().CurrentFileName, file.toStdString());
            QVERIFY(!form->ParUsb->isEnabled());
        }
    }

    void cancelledOpenReportsWithNothingAppended()
    {
        auto form = makeForm();
        tq::ui::MessageCapture capture;
        form->aprif->trigger();
        QCOMPARE(capture.messages.size(), std::size_t(1));
        QVERIFY(sameMessage(capture.messages[0], kOpenFailure, MessageIcon::Warning));
        QCOMPARE(form->module().CurrentFileName, std::string("Dati di default"));
    }

    void saveWithoutAFileNameIsRefused()
    {
        auto form = makeForm();
        form->module().CurrentFileName.clear();
        tq::ui::MessageCapture capture;
        form->salvafile->trigger();
        QCOMPARE(capture.messages.size(), std::size_t(1));
        QVERIFY(sameMessage(capture.messages[0], "Non  \xE8 aperto alcun file ,fai salva con nome per aprirne uno",
                            MessageIcon::None));
    }

    void saveAsWritesTheStartUpStateAndShowsTheBarePath()
    {
        const QString file = path("startup");  // typed without ".ini": used as typed
        auto form = makeForm(file);
        tq::ui::MessageCapture capture;
        form->salvaas->trigger();
        QVERIFY(capture.messages.empty());
        QCOMPARE(form->Label1->text(), file);
        QCOMPARE(form->module().CurrentFileName, file.toStdString());
        QCOMPARE(contentOf(file), "122013\r\n" + QByteArray("0\r\n").repeated(54) + QByteArray("\r\n").repeated(12));
    }

    void cancelledOrFailedSaveAsIsSilent()
    {
        const QString plain = path("plainfile");
        writeFile(plain, "x");
        for (const QString& answer : {QString(), plain + QStringLiteral("/sub.ini")}) {
            auto form = makeForm(answer);
            tq::ui::MessageCapture capture;
            form->salvaas->trigger();
            QVERIFY(capture.messages.empty());
            QCOMPARE(form->Label1->text(), QStringLiteral(" File = Dati di default"));
            QCOMPARE(form->module().CurrentFileName, answer.isEmpty() ? std::string("Dati di default") : answer.toStdString());
        }
    }

    void openThenSaveKeepsTwelveTexts()
    {
        const QString file = path("roundtrip.ini");
        QList<QByteArray> texts;
        for (int k = 0; k < 14; ++k)
            texts << "T" + QByteArray::number(k) + "  ";
        writeFile(file, paramFile(texts));
        auto form = makeForm(file);
        tq::ui::MessageCapture capture;
        form->aprif->trigger();
        form->salvafile->trigger();
        QVERIFY(capture.messages.empty());
        QCOMPARE(contentOf(file), paramFile(texts.mid(0, 12)));
    }

    void saveThatCannotWriteKeepsTheOldFileAndSaysSo()
    {
        const QString file = path("kept.ini");
        const QByteArray old = paramFile({"OLD"});
        const QString plain = path("plain2");
        writeFile(plain, "x");
        const QString unreachable = plain + QStringLiteral("/kept.ini");
        for (const QString& target : {file, unreachable}) {
            writeFile(file, old);
            auto form = makeForm();
            form->module().CurrentFileName = target.toStdString();
            form->module().FileMenuTexts[0] = std::string(5000, 'n');  // more than the disk takes
            tq::ui::MessageCapture capture;
            {
                tq::test::FileSizeLimit limit(1000);
                form->salvafile->trigger();
            }
            QCOMPARE(capture.messages.size(), std::size_t(1));
            QVERIFY(sameMessage(capture.messages[0],
                                "Errore nella scrittura: il file NON \xE8 stato salvato  " + target.toStdString(),
                                MessageIcon::Warning));
            QCOMPARE(contentOf(file), old);
        }
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("kept.ini*")}, QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("kept.ini")});
    }

    void dialogHasOneFilterConfirmsReplacingAndRemembersThePath()
    {
        Form1 form;
        QFileDialog* dialog = form.findChild<QFileDialog*>(QStringLiteral("Dialog1"));
        QCOMPARE(dialog, form.Dialog1);
        QCOMPARE(dialog->nameFilters(), QStringList{QStringLiteral("File di inizializzazione(*.ini)")});
        QVERIFY(dialog->defaultSuffix().isEmpty());

        QTemporaryDir sub;
        const QString chosen = sub.filePath(QStringLiteral("chosen.ini"));
        QString seenDirectory;
        bool confirmsReplace = false;
        const auto answerWith = [&](const QString& file) {
            QTimer::singleShot(0, dialog, [&, file] {
                seenDirectory = dialog->directory().absolutePath();
                confirmsReplace = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
                dialog->selectFile(file);
                static_cast<QDialog*>(dialog)->accept();  // as the dialog's own button does
            });
        };
        answerWith(chosen);
        QCOMPARE(form.askPath(false), chosen);
        answerWith(chosen);
        QCOMPARE(form.askPath(true), chosen);
        QCOMPARE(seenDirectory, sub.path());
        QVERIFY(confirmsReplace);
    }

    void parUsbOpensTheCompilerAndUscitaGivesTheMainWindowBack()
    {
        auto form = makeForm();
        form->show();
        QStringList roots{QStringLiteral("/")};
        form->usbCompiler().setDriveSource([&roots] { return roots; });
        form->ParUsb->setEnabled(true);
        form->ParUsb->trigger();
        tq::TrovaUsb& usb = form->usbCompiler();
        QVERIFY(usb.isVisible());
        QVERIFY(!form->isEnabled());
        QVERIFY(usb.Timer1->isActive());
        usb.Timer1_Timer();
        roots << QStringLiteral("/media/usb0");
        usb.Timer1_Timer();
        QCOMPARE(usb.Label1->text(), QStringLiteral("/media/usb0/tq310/contq310.bin"));

        usb.Command2->click();
        QVERIFY(!usb.isVisible());
        QVERIFY(form->isEnabled());

        form->ParUsb->trigger();
        QCOMPARE(&form->usbCompiler(), &usb);
        QVERIFY(usb.Label1->text().isEmpty());
        usb.Timer1_Timer();
        QCOMPARE(usb.Label1->text(), QStringLiteral("/media/usb0/tq310/contq310.bin"));
        usb.close();
    }

    void usbWriteShowsTheRecomputedCrcInTheMainWindow()
    {
        QTemporaryDir key;
        QVERIFY(QDir(key.path()).mkdir(QStringLiteral("tq310")));
        auto form = makeForm();
        QStringList roots{QStringLiteral("/")};
        form->usbCompiler().setDriveSource([&roots] { return roots; });
        form->ParUsb->trigger();
        tq::TrovaUsb& usb = form->usbCompiler();
        usb.Timer1_Timer();
        roots << key.path();
        usb.Timer1_Timer();
        form->module().FileParams[0] = 1;  // changed without a list refresh
        usb.Command1->click();
        QCOMPARE(form->Label5->text(), QStringLiteral("250-32 File"));
        QCOMPARE(contentOf(usb.Label1->text()).mid(112, 4), QByteArray("FA20"));
        usb.close();
    }
};

QTEST_MAIN(Form1FilesTest)
#include "form1_files_test.moc"
