// tq310-cli beside the main window, each against its own tq310-sim on a pseudo-terminal: what
// the controller receives from "write --commit" must be what it receives from the window's
// "Carica parametri  dal TQ310" (for the backup), "apri file", "Trafferisci parametri nel
// TQ310", "Carica parametri  dal TQ310" and "Salva parametri  nella EEPROM", byte for byte,
// whether the commit goes through or is refused; "read" must save the file the window's
// "Trasferisci parametri da  TQ310 al buffer" and "salva con nome" save, and keep the backup the
// window keeps; "usb" must write the file of the USB compiler's "Procedi".
#include <QAction>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/Form1.h"
#include "cli/exit_status.h"
#include "cli_process.h"
#include "files/backups.h"
#include "files/param_file.h"
#include "files/trova_usb.h"
#include "sim/param_image.h"
#include "support/control.h"
#include "support/file_bytes.h"
#include "support/simulator_process.h"
#include "ui/message_box.h"

using tq::test::fileBytes;
using tq::test::writeFile;
using tq::test::runCli;

namespace {

// The main window connected through the chooser to the simulator's line, its Timer1 running as
// for a user; the file dialog answers `file`.
struct Window {
    tq::Form1 form;
    tq::ui::MessageCapture messages;

    Window(const QString& slave, const QString& file)
    {
        form.setPortBackends(
            [slave] {
                return tq::PortDiscovery{{tq::PortEntry{"Porta seriale (COM1)", slave, slave, 1, tq::PortEntry::Kind::Alias}}, {}};
            },
            {});
        form.Form_Load();
        form.chooser()->List1_Click(form.chooser()->List1->item(0));
        form.askPath = [file](bool) { return file; };
    }

    bool readBack(const char* item)
    {
        use(form, item);
        return QTest::qWaitFor([this] { return form.module().Engine.mode() == tq::ReceiveMode::MenuRead; }, 5000)
            && QTest::qWaitFor([this] { return form.module().Engine.mode() == tq::ReceiveMode::Terminal; }, 5000);
    }
};

// Parameter files as an engineer brings them: edited, with texts too short, too long, with an
// accented letter, with a text in slot 12.
QByteArray iniWith(std::uint8_t first, const std::vector<std::string>& texts)
{
    tq::Module1 m;
    const tq::sim::ParamImage factory = tq::sim::factorySetup();
    std::copy(factory.record.begin(), factory.record.end(), m.FileParams.begin());
    m.FileParams[0] = first;
    m.FileParams[20] = 0x85;
    for (std::size_t k = 0; k < texts.size(); ++k)
        m.FileMenuTexts[k] = texts[k];
    std::string content = tq::paramFileContent(m);
    for (std::size_t k = tq::kSavedTexts; k < texts.size(); ++k)
        content += texts[k] + "\r\n";
    return QByteArray(content.data(), static_cast<qsizetype>(content.size()));
}

const std::vector<std::string> kTenLetterTexts = {"SELEZIONA ", "CARTELLA  ", "PARTE     ", "NUOVA LETT",
                                                  "DISCO     ", "TIPO \xE8----", "TAGLIA -- ", "PEZZO     ",
                                                  "CARRO     ", "SCOLLO    ", "RANGHI    ", "CONTAPEZZI"};

}  // namespace

class CliWindowTwinTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void writeAndCommitSendTheWindowsBytes()
    {
        std::vector<std::string> shortText = kTenLetterTexts;
        shortText[3] = "NUOVA";
        const struct { const char* what; QByteArray ini; bool commits; } cases[] = {
            {"texts of 10 letters", iniWith(1, kTenLetterTexts), true},
            {"a short text", iniWith(0, shortText), false},
        };
        for (const auto& c : cases) {
            const QString ini = path(QStringLiteral("twin.ini"));
            QVERIFY(writeFile(ini, c.ini));
            const QString cliRecord = path(QStringLiteral("cli.host")), windowRecord = path(QStringLiteral("window.host"));
            const QString cliEeprom = path(QStringLiteral("cli.eeprom")), windowEeprom = path(QStringLiteral("window.eeprom"));
            QFile::remove(cliEeprom);
            QFile::remove(windowEeprom);

            tq::test::SimulatorProcess cliSim(QStringLiteral(TQ310_SIM), {QStringLiteral("--record-host"), cliRecord,
                                                                          QStringLiteral("--eeprom"), cliEeprom});
            const tq::test::CliRun run =
                runCli({QStringLiteral("write"), QStringLiteral("--port"), cliSim.slave(), ini, QStringLiteral("--commit")});
            QCOMPARE(run.status, int(c.commits ? tq::cli::Success : tq::cli::CommitRefused));
            const int heard = 2 + 177 + 2 + (c.commits ? 8 : 0);
            QTRY_COMPARE_WITH_TIMEOUT(fileBytes(cliRecord).size(), heard, 5000);
            QCOMPARE(fileBytes(cliRecord).endsWith("HJWVorela\r"), c.commits);

            tq::test::SimulatorProcess windowSim(QStringLiteral(TQ310_SIM), {QStringLiteral("--record-host"), windowRecord,
                                                                             QStringLiteral("--eeprom"), windowEeprom});
            Window window(windowSim.slave(), ini);
            QVERIFY(window.form.isConnected() && window.readBack("daltq310"));
            use(window.form, "aprif");
            use(window.form, "AlTq310");
            QTRY_COMPARE_WITH_TIMEOUT(fileBytes(windowRecord).size(), 2 + 177, 5000);
            QVERIFY(window.readBack("daltq310"));
            use(window.form, "Weeprom");
            QTRY_COMPARE_WITH_TIMEOUT(fileBytes(windowRecord), fileBytes(cliRecord), 5000);
            QCOMPARE(window.messages.messages.empty(), c.commits);
            QTRY_COMPARE_WITH_TIMEOUT(fileBytes(windowEeprom), fileBytes(cliEeprom), 5000);
            QCOMPARE(QFile::exists(cliEeprom), c.commits);
        }
    }

    void readSavesTheFileTheWindowSaves()
    {
        const QString eeprom = path(QStringLiteral("read.eeprom"));
        tq::sim::ParamImage image = tq::sim::factorySetup();
        image.record[7] = 0x9F;
        image.texts.replace(20, 10, "CITT\xC0     ");
        image.sealCrc();
        QVERIFY(writeFile(eeprom, QByteArray::fromStdString(image.bytes())));
        tq::test::SimulatorProcess sim(QStringLiteral(TQ310_SIM), {QStringLiteral("--eeprom"), eeprom});

        const QString byCli = path(QStringLiteral("cli-read.ini")), byWindow = path(QStringLiteral("window-read.ini"));
        const QString backups = path(QStringLiteral("copie"));
        qputenv("TQ310_BACKUPS", backups.toLocal8Bit());
        QCOMPARE(runCli({QStringLiteral("read"), QStringLiteral("--port"), sim.slave(), byCli}).status, int(tq::cli::Success));
        QCOMPARE(tq::backupFiles(backups).size(), 1);

        Window window(sim.slave(), byWindow);
        QVERIFY(window.readBack("ChipBuffer"));
        QCOMPARE(tq::backupFiles(backups).size(), 1);  // the window found its backup there already
        use(window.form, "salvaas");
        QCOMPARE(fileBytes(byCli), fileBytes(byWindow));
        QVERIFY(fileBytes(byCli).contains("\r\nCITT\xC0     \r\n"));
    }

    void usbWritesTheFileTheCompilerWrites()
    {
        std::vector<std::string> odd = kTenLetterTexts;
        odd[0] = "";
        odd[1] = "TROPPO LUNGO PER IL MENU";
        odd[2] = "\xE0\xE8";
        odd.push_back("DODICI");
        const struct { const char* what; QByteArray ini; } cases[] = {
            {"texts of 10 letters", iniWith(1, kTenLetterTexts)},
            {"empty, long, accented and a thirteenth text", iniWith(0, odd)},
            {"values written with blanks and fractions", "122013\r\n  1.5\r\n" + QByteArray("254.49\r\n").repeated(53) + "UNO"},
        };
        for (const auto& c : cases) {
            const QString ini = path(QStringLiteral("usb.ini")), byCli = path(QStringLiteral("cli.bin"));
            QVERIFY(writeFile(ini, c.ini));
            QCOMPARE(runCli({QStringLiteral("usb"), ini, byCli}).status, int(tq::cli::Success));

            QTemporaryDir key;
            QVERIFY(QDir(key.path()).mkdir(QStringLiteral("tq310")));
            tq::Form1 form;
            form.askPath = [ini](bool) { return ini; };
            use(form, "aprif");
            QStringList roots{QStringLiteral("/")};
            tq::TrovaUsb& usb = form.usbCompiler();
            usb.setDriveSource([&roots] { return roots; });
            use(form, "ParUsb");
            usb.Timer1_Timer();
            roots << key.path();
            usb.Timer1_Timer();
            usb.Command1->click();
            const QByteArray byWindow = fileBytes(key.path() + QStringLiteral("/tq310/contq310.bin"));
            QCOMPARE(byWindow.size(), 366);
            QVERIFY2(fileBytes(byCli) == byWindow, c.what);
        }
    }
};

QTEST_MAIN(CliWindowTwinTest)
#include "window_twin_pty_test.moc"
