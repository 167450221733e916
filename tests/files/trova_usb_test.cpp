// The USB compiler window on the offscreen platform: instructions, detection over fake lists of
// roots, and writes onto a folder that stands for the key.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "files/trova_usb.h"

using tq::Module1;
using tq::TrovaUsb;

namespace {

QString lines(std::initializer_list<const char*> parts)
{
    QStringList out;
    for (const char* p : parts)
        out << QString::fromLatin1(p);
    return out.join(QLatin1Char('\n'));
}

const QString kLogLines = lines({
    " calcolo crc = 102 - 71",
    " Scritti 54 parametri di configurazione + 2 per CRC nel disco usb",
    " Scritte 12 stringhe definizioni lingua  nel disco usb",
    "",
    " OPERAZIONE COMPLETATA !!",
});

QByteArray startUpFile()
{
    return ">$$>" + QByteArray(108, '0') + "6647" + QByteArray("20").repeated(120) + "<$$<<$$<\r\n";
}

QByteArray contentOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class TrovaUsbTest : public QObject {
    Q_OBJECT

    Module1 m_module;
    std::string m_crcShown;
    QStringList m_roots;  // what the system reports as mounted, tick by tick
    const QStringList m_system{QStringLiteral("/"), QStringLiteral("/boot")};

    std::unique_ptr<TrovaUsb> makeWindow()
    {
        auto w = std::make_unique<TrovaUsb>(m_module, [this](const std::string& c) { m_crcShown = c; });
        w->setDriveSource([this] { return m_roots; });
        return w;
    }

    // Opens the window and lets the key at `key` be found.
    std::unique_ptr<TrovaUsb> windowWithKey(const QString& key)
    {
        auto w = makeWindow();
        w->Form_Load();
        m_roots = m_system;
        w->Timer1_Timer();
        m_roots << key;
        w->Timer1_Timer();
        return w;
    }

private slots:
    void init()
    {
        m_module = Module1{};
        m_crcShown.clear();
        m_roots.clear();
    }

    void openingShowsTheInstructionsAndWaits()
    {
        auto w = makeWindow();
        w->Form_Load();
        w->show();
        QCOMPARE(w->windowTitle(), QStringLiteral("Compilatore per file parametri CONTQ310.BIN "));
        const QStringList shown = w->Text1->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(shown.size(), 14);
        QCOMPARE(shown[0], QStringLiteral("PROCEDURA PER LA PREPARAZIONE DELLA CONFIGURAZIONE:"));
        QCOMPARE(shown[1], QString());
        QCOMPARE(shown[9], QStringLiteral("Sul TQ310 si deve inserire la chiave usb  poi premere l'apposito pulsante per caricare "));
        QCOMPARE(shown[13], QStringLiteral("una perdita di dati il sistema richedera automaticamente un aggiornamento "));
        QVERIFY(w->Label1->text().isEmpty());
        QCOMPARE(w->Command2->text(), QStringLiteral("Uscita"));
        QCOMPARE(w->Command1->text(), QStringLiteral("Procedi"));
        QVERIFY(w->Command2->geometry().right() < w->Command1->geometry().left());
        QVERIFY(w->Text1->geometry().bottom() < w->Label1->geometry().top());
        QVERIFY(!w->Command1->isEnabled());
        QVERIFY(w->Timer1->isActive());
        QCOMPARE(w->Timer1->interval(), 300);
    }

    void keyInsertedIsFoundAndDetectionStops()
    {
        QTemporaryDir key;
        auto w = makeWindow();
        w->Form_Load();
        m_roots = m_system;
        w->Timer1_Timer();
        QVERIFY(w->Label1->text().isEmpty());
        QVERIFY(!w->Command1->isEnabled());
        m_roots << key.path();
        w->Timer1_Timer();
        QCOMPARE(w->Label1->text(), key.path() + QStringLiteral("/tq310/contq310.bin"));
        QVERIFY(w->Command1->isEnabled());
        QVERIFY(!w->Timer1->isActive());
        QCOMPARE(w->KnownDrives(), m_system);
    }

    void keyPresentAtTheFirstOpeningMustBeReinserted()
    {
        const QString key = QStringLiteral("/media/usb0");
        auto w = makeWindow();
        w->Form_Load();
        m_roots = m_system + QStringList{key};
        w->Timer1_Timer();
        w->Timer1_Timer();
        QVERIFY(w->Label1->text().isEmpty());
        m_roots = m_system;
        w->Timer1_Timer();
        QVERIFY(w->Label1->text().isEmpty());
        m_roots << key;
        w->Timer1_Timer();
        QCOMPARE(w->Label1->text(), QStringLiteral("/media/usb0/tq310/contq310.bin"));
    }

    void reopenedWithTheKeyStillInFindsItAtTheFirstTick()
    {
        const QString key = QStringLiteral("/media/usb0");
        auto w = windowWithKey(key);
        w->show();
        w->Command2->click();
        QVERIFY(!w->isVisible());
        QVERIFY(!w->Timer1->isActive());
        QCOMPARE(w->KnownDrives(), m_system);

        w->Form_Load();
        QVERIFY(w->Label1->text().isEmpty());
        QVERIFY(!w->Command1->isEnabled());
        QVERIFY(w->Timer1->isActive());
        QCOMPARE(w->Text1->toPlainText().split(QLatin1Char('\n')).size(), 14);
        w->Timer1_Timer();
        QCOMPARE(w->Label1->text(), QStringLiteral("/media/usb0/tq310/contq310.bin"));
    }

    void procediWritesTheStartUpStateAndLogs()
    {
        QTemporaryDir key;
        QVERIFY(QDir(key.path()).mkdir(QStringLiteral("tq310")));
        const QString target = key.path() + QStringLiteral("/tq310/contq310.bin");
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(1000, 'o'));  // overwritten without asking
        old.close();

        auto w = windowWithKey(key.path());
        w->Command1->click();
        QCOMPARE(contentOf(target), startUpFile());
        QCOMPARE(w->Text1->toPlainText(), QStringLiteral(" Apro il file ") + target + QLatin1Char('\n') + kLogLines);
        QCOMPARE(m_crcShown, std::string("102-71 File"));
        QCOMPARE(QDir(key.path() + QStringLiteral("/tq310")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("contq310.bin")});
    }

    void missingFolderReportsAndAllowsAnotherTry()
    {
        QTemporaryDir key;
        m_module.FileParams[0] = 10;
        m_module.FileMenuTexts[0] = "AB";
        auto w = windowWithKey(key.path());
        const QString target = w->Label1->text();
        w->Command1->click();
        QVERIFY(w->Text1->toPlainText().endsWith(QStringLiteral(
            " OPERAZIONE COMPLETATA !! ERRORE NELLA SCRITTURA\nForse la chiave usb non contiene la cartella TQ310")));
        QVERIFY(w->Text1->toPlainText().startsWith(QStringLiteral(" Apro il file ") + target + QLatin1Char('\n')));
        QVERIFY(!QFile::exists(target));
        QCOMPARE(w->Label1->text(), target);
        QVERIFY(w->Command1->isEnabled());
        QVERIFY(!w->Timer1->isActive());

        QVERIFY(QDir(key.path()).mkdir(QStringLiteral("tq310")));
        w->Command1->click();
        QVERIFY(w->Text1->toPlainText().startsWith(QStringLiteral(" Apro il file ")));
        QVERIFY(w->Text1->toPlainText().endsWith(QStringLiteral(" OPERAZIONE COMPLETATA !!")));
        const QByteArray written = contentOf(target);
        QCOMPARE(written.size(), 366);
        QCOMPARE(written.mid(4, 2), QByteArray("0A"));
        QCOMPARE(written.mid(116, 20), QByteArray("4142") + QByteArray("20").repeated(8));
    }
};

QTEST_MAIN(TrovaUsbTest)
#include "trova_usb_test.moc"
