// tq310-cli end to end against tq310-sim on pseudo-terminals, run as a script runs it. The faults
// guarded: a commit that reaches the EEPROM although the read-back differs or never came, a
// set-up overwritten without a backup of it, a script left hanging by a silent controller, a
// status that does not tell the cause, values that do not survive the controller's restart, a
// port of a series that holds up the others, and a command that sends, saves or writes other
// bytes than the window's items it stands for.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/exit_status.h"
#include "files/backups.h"
#include "files/param_file.h"
#include "files/usb_file.h"
#include "operations/transfers.h"
#include "params/crc.h"
#include "sim/param_image.h"
#include "support/disk_full.h"
#include "support/file_bytes.h"
#include "support/simulator_process.h"

using namespace tq::cli;  // the exit statuses
using namespace tq::test;  // files, program runs and tq310-sim

namespace {

// One run of the tq310-cli of the test's build.
ProgramRun runCli(const QStringList& arguments, const QProcessEnvironment& env = headless())
{
    return runProgram(QStringLiteral(TQ310_CLI), arguments, env);
}

// One tq310-sim of the test's build.
struct Sim : SimulatorProcess {
    explicit Sim(const QStringList& arguments = {}) : SimulatorProcess(QStringLiteral(TQ310_SIM), arguments) {}
};

QJsonObject jsonOf(const QByteArray& line) { return QJsonDocument::fromJson(line).object(); }

// The named fields of a JSON object as "value|value".
QString fields(const QJsonObject& o, const QStringList& keys)
{
    QStringList values;
    for (const QString& key : keys)
        values << o[key].toVariant().toString();
    return values.join(QLatin1Char('|'));
}

// The working copy a parameter file of these values opens into.
tq::Module1 moduleOf(const tq::sim::ParamImage& image)
{
    tq::Module1 m;
    std::copy(image.record.begin(), image.record.end(), m.FileParams.begin());
    for (int k = 0; k < tq::kDeviceMenuTexts; ++k)
        m.FileMenuTexts[k] = image.texts.substr(k * tq::kMenuTextLength, tq::kMenuTextLength);
    return m;
}

// A parameter file of the working copy; its texts beyond the twelve a save writes are appended.
QByteArray iniOf(const tq::Module1& m)
{
    std::string content = tq::paramFileContent(m);
    for (int k = tq::kSavedTexts; k < tq::kMenuTextSlots && !m.FileMenuTexts[k].empty(); ++k)
        content += m.FileMenuTexts[k] + "\r\n";
    return QByteArray::fromStdString(content);
}

QByteArray iniOfFactory() { return iniOf(moduleOf(tq::sim::factorySetup())); }

// What "Trafferisci parametri nel TQ310" sends for this working copy.
QByteArray writeFrameOf(tq::Module1 m)
{
    tq::Crcgen(m.FileParams);
    return "L" + QByteArray(reinterpret_cast<const char*>(m.FileParams.data()), tq::kDeviceRecordSize)
        + QByteArray::fromStdString(tq::menuTextBlock(m.FileMenuTexts));
}

// A controller set up differently from the factory, with a Latin-1 letter in a text.
tq::sim::ParamImage edited()
{
    tq::sim::ParamImage image = tq::sim::factorySetup();
    for (int i = 4; i < tq::kParamCount; ++i)
        image.record[i] = static_cast<std::uint8_t>((i * 7 + 3) % 24);
    image.record[0] = 1;
    image.texts.replace(0, 20, "VOCE \xE8 UNOVOCE DUE  ");
    image.sealCrc();
    return image;
}

}  // namespace

class CliPtyTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private slots:
    void readThenCommitAnEditedFileAndReadItBackAfterARestart()
    {
        const QString eeprom = path("restart.eeprom"), factoryIni = path("factory.ini"), editedIni = path("edited.ini");
        const QString record = path("restart.host");
        const tq::sim::ParamImage factory = tq::sim::factorySetup(), wanted = edited();
        {
            Sim sim({"--eeprom", eeprom, "--record-host", record});  // no file yet: the factory set-up
            const ProgramRun read = runCli({"read", "--port", sim.slave(), factoryIni, "--json"});
            QCOMPARE(read.status, int(Success));
            QCOMPARE(read.err, QByteArray());  // no progress: standard error is not a terminal
            QCOMPARE(fileBytes(factoryIni), iniOfFactory());
            const QJsonObject result = jsonOf(read.out);
            QCOMPARE(fields(result, {"crc", "crcMatches"}),
                     QStringLiteral("%1-%2|true").arg(factory.record[54]).arg(factory.record[55]));
            QCOMPARE(result["params"].toArray().size(), tq::kParamCount);
            QCOMPARE(result["params"].toArray()[3].toInt(), int(factory.record[3]));
            QCOMPARE(result["texts"].toArray()[11].toString(), QString::fromLatin1(factory.texts.substr(110)));

            // The engineer edits the file and commits it.
            QVERIFY(writeFile(editedIni, iniOf(moduleOf(wanted))));
            const ProgramRun write = runCli({"write", "--port", sim.slave(), editedIni, "--commit"});
            QCOMPARE(write.status, int(Success));
            QVERIFY2(write.out.contains("Parametri salvati in EEPROM"), write.out.constData());
            QTRY_COMPARE_WITH_TIMEOUT(fileBytes(eeprom), QByteArray::fromStdString(wanted.bytes()), 5000);
            // After the read, what the window's "Carica parametri  dal TQ310" (the backup),
            // "Trafferisci parametri nel TQ310", "Carica parametri  dal TQ310" and "Salva parametri
            // nella EEPROM" send.
            QTRY_COMPARE_WITH_TIMEOUT(fileBytes(record), "HJHJ" + writeFrameOf(moduleOf(wanted)) + "HJWVorela\r", 5000);
        }
        // A new start of the controller loads its EEPROM: the committed values come back.
        Sim sim({"--eeprom", eeprom});
        const ProgramRun read = runCli({"read", "--port", sim.slave(), path("after.ini")});
        QCOMPARE(read.status, int(Success));
        QCOMPARE(fileBytes(path("after.ini")), fileBytes(editedIni));
        QVERIFY2(read.out.contains(QStringLiteral("device CRC %1-%2 (matches the parameters)")
                                       .arg(wanted.record[54]).arg(wanted.record[55]).toUtf8()),
                 read.out.constData());
    }

    void aReadBackThatDiffersIsRefusedAndNothingIsCommitted()
    {
        const tq::Module1 factory = moduleOf(tq::sim::factorySetup());
        tq::Module1 shortText = factory, slot12 = factory, clearScreen = factory;
        shortText.FileMenuTexts[4] = "DISCO";  // the controller pads it to "DISCO     "
        slot12.FileMenuTexts[12] = "TREDICI";  // never held by the controller
        clearScreen.FileMenuTexts[4] = "\x1B[2J";  // shown to the operator, it would clear the screen
        const struct {
            const tq::Module1& file;
            const char* fault;
            const char* comparison;
            const char* refusal;
            const char* difference;  // the first pair listed for the engineer
        } cases[] = {
            {shortText, "none", "menu-texts", tq::kTextsDifferText, "  menu text 4: file \"DISCO\", controller \"DISCO     \""},
            {slot12, "none", "menu-texts", tq::kTextsDifferText, "  menu text 12: file \"TREDICI\", controller \"\""},
            {clearScreen, "none", "menu-texts", tq::kTextsDifferText,
             "  menu text 4: file \"\\x1B[2J\", controller \"\\x1B[2J      \""},
            {factory, "garbage", "parameters", tq::kParamsDifferText, "  parameter "},  // a garbled read-back
        };
        for (const auto& c : cases) {
            const QString eeprom = path("refused.eeprom"), ini = path("refused.ini"), record = path("refused.host");
            const QByteArray before = QByteArray::fromStdString(tq::sim::factorySetup().bytes());
            QVERIFY(writeFile(eeprom, before) && writeFile(ini, iniOf(c.file)));
            Sim sim({"--eeprom", eeprom, "--record-host", record, "--fault", c.fault});
            const ProgramRun run = runCli({"write", "--port", sim.slave(), ini, "--commit", "--json"});
            QCOMPARE(run.status, int(CommitRefused));
            QCOMPARE(fields(jsonOf(run.out), {"comparison", "committed", "status"}),
                     QStringLiteral("%1|false|%2").arg(c.comparison).arg(int(CommitRefused)));
            const QList<QByteArray> err = run.err.split('\n');
            QCOMPARE(err[0], "tq310-cli: " + ini.toUtf8() + ":" + c.refusal);
            QVERIFY2(err[1].startsWith(c.difference), err[1].constData());
            // The controller heard the read for the backup, the write and the read-back, and nothing after.
            const QByteArray sent = "HJ" + writeFrameOf(c.file) + "HJ";
            QTRY_COMPARE_WITH_TIMEOUT(fileBytes(record), sent, 5000);
            QCOMPARE(fileBytes(eeprom), before);
        }
    }

    void aControllerThatDoesNotAnswerEndsTheScriptWithStatusFour()
    {
        const QString ini = path("factory-for-silent.ini");
        QVERIFY(writeFile(ini, iniOfFactory()));
        const QByteArray unverified = "The write frame (\"L\", 177 bytes) went out but was NOT verified";
        const struct {
            const char* fault;
            QStringList arguments;  // --port follows
            QByteArray heard;       // what the controller received in all
            const char* counted;    // how much of the awaited answer came
        } cases[] = {
            {"silent", {"read", path("silent.ini")}, "H", "(0 of 56 bytes)"},
            {"silent", {"write", ini, "--commit", "--no-backup"}, writeFrameOf(moduleOf(tq::sim::factorySetup())) + "H",
             "(0 of 56 bytes)"},
            // Nothing is written into a controller whose set-up could not be read for the backup.
            {"short", {"write", ini, "--commit"}, "H", "(28 of 56 bytes)"},
            {"silent", {"inputs", "--count", "2"}, "KKKKK", "(0 of 1 bytes)"},
        };
        for (const auto& c : cases) {
            const QString record = path("silent.host");
            Sim sim({"--fault", c.fault, "--record-host", record});
            const ProgramRun run = runCli(c.arguments + QStringList{"--port", sim.slave(), "--json"});
            QCOMPARE(run.status, int(NoAnswer));  // the program gives up by itself
            QVERIFY2(run.err.startsWith("tq310-cli: " + sim.slave().toUtf8() + ": no complete answer")
                         && run.err.contains(c.counted),
                     run.err.constData());
            QVERIFY(run.err.contains("\n La macchina non risponde !!\n\n Controllare che non sia \n in produzione"));
            QCOMPARE(run.err.contains(unverified), c.heard.startsWith('L'));  // only when the frame went out
            const QJsonObject result = jsonOf(run.out);
            QCOMPARE(fields(result, {"status", "port"}), QStringLiteral("%1|%2").arg(int(NoAnswer)).arg(sim.slave()));
            QVERIFY(result["message"].toString().toUtf8().contains(c.counted));
            QVERIFY(!QFile::exists(path("silent.ini")));
            QTRY_COMPARE_WITH_TIMEOUT(fileBytes(record), c.heard, 5000);
        }
    }

    // What a write replaces is kept first: the read for the backup comes before the "L" frame, and
    // a backup that cannot be kept stops the write before it (before anything, when the folder
    // cannot be made).
    void writeKeepsTheSetUpItReplacesBeforeItWrites()
    {
        const QString ini = path("replace.ini"), record = path("replace.host");
        QVERIFY(writeFile(ini, iniOf(moduleOf(edited()))) && writeFile(path("plain"), "not a folder"));
        const QByteArray frame = writeFrameOf(moduleOf(edited()));
        // fileLimit: the largest file the program may write (0: no limit); backup: the one backup in
        // the folder, none when empty.
        const struct { QString folder; QStringList options; rlim_t fileLimit; int status; QByteArray heard, backup; } cases[] = {
            {path("copie-1"), {}, 0, Success, "HJ" + frame + "HJ", iniOfFactory()},
            {path("copie-2"), {"--no-backup"}, 0, Success, frame + "HJ", {}},
            {path("plain/copie"), {}, 0, FileRefused, "", {}},  // a folder that cannot be made
            {path("copie-3"), {}, 100, FileRefused, "HJ", {}},  // a disk too full for the file
        };
        for (const auto& c : cases) {
            Sim sim({"--record-host", record});
            QProcessEnvironment env = headless();
            env.insert(QStringLiteral("TQ310_BACKUPS"), c.folder);
            ProgramRun run;
            const auto write = [&] { run = runCli(QStringList{"write", "--port", sim.slave(), ini} + c.options, env); };
            c.fileLimit ? withDiskFull(c.fileLimit, write) : write();
            QVERIFY2(run.status == c.status, qPrintable(c.folder));
            if (c.status == FileRefused) {  // the folder and the system's reason
                const QByteArray said = "tq310-cli: Copia di sicurezza NON salvata in " + c.folder.toUtf8() + " (";
                QVERIFY2(run.err.startsWith(said) && run.err.endsWith(")\n") && run.err.size() > said.size() + 2,
                         run.err.constData());
            }
            QTRY_COMPARE_WITH_TIMEOUT(fileBytes(record), c.heard, 5000);
            const QStringList backups = tq::backupFiles(c.folder);
            QCOMPARE(backups.size(), c.backup.isEmpty() ? 0 : 1);
            if (!c.backup.isEmpty()) {
                const QString kept = c.folder + QLatin1Char('/') + backups[0];
                QCOMPARE(fileBytes(kept), c.backup);
                QVERIFY(run.out.startsWith("backup of the controller's set-up: " + kept.toUtf8() + '\n'));
            }
        }
    }

    void aLineThatGoesAwayOrNeverWasEndsWithStatusFive()
    {
        // Pulled while the program waits for the answer to "H".
        const QString record = path("lost.host");
        Sim sim({"--fault", "silent", "--record-host", record});
        QProcess cli;
        cli.start(QStringLiteral(TQ310_CLI), {"read", "--port", sim.slave(), path("lost.ini")});
        QTRY_COMPARE_WITH_TIMEOUT(fileBytes(record), QByteArray("H"), 5000);
        sim.process().write("drop\n");
        QVERIFY(sim.process().waitForBytesWritten(5000) && cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), int(LineFailed));
        // The window's report, with the number the chooser gives the line.
        const QByteArray lost = cli.readAllStandardError();
        QVERIFY2(lost.startsWith("tq310-cli: " + sim.slave().toUtf8() + ": Connessione persa con la porta Com.")
                     && lost.endsWith(" \n"),
                 lost.constData());

        for (const QString& absent : {"/dev/tq310-assente", "banco-assente"}) {
            const ProgramRun run = runCli({"inputs", "--port", absent});
            QCOMPARE(run.status, int(LineFailed));
            QVERIFY2(run.err.startsWith("tq310-cli: " + absent.toUtf8() + ": Impossibile aprire la porta Com.")
                         && run.err.endsWith(" : la porta non esiste \n"),
                     run.err.constData());
        }
    }

    void aPortAliasNameReachesTheControllerAndInputsArePrintedAsTheMonitorShowsThem()
    {
        Sim sim({"--alias", "banco 2"});
        const QProcessEnvironment env = sim.withAliases();

        const ProgramRun ports = runCli({"ports"}, env);
        QCOMPARE(ports.status, int(Success));
        QVERIFY2(ports.out.contains(("\tbanco 2\tbanco 2 \xE2\x86\x92 " + sim.slave()).toUtf8()), ports.out.data());
        QVERIFY(ports.out.endsWith("\tsim\tsimulatore interno del controllore, senza cavo\n"));

        // The simulated machine holds its reset input for 1.5 s after the first command.
        const ProgramRun json = runCli({"inputs", "--port", "banco 2", "--count", "3", "--json"}, env);
        QCOMPARE(json.status, int(Success));
        const QList<QByteArray> lines = json.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 3);
        for (int n = 0; n < 3; ++n) {
            const QJsonObject reading = jsonOf(lines[n]);
            QCOMPARE(reading["reading"].toInt(), n + 1);
            const QJsonArray inputs = reading["inputs"].toArray();
            QCOMPARE(inputs.size(), 7);
            QCOMPARE(fields(inputs[2].toObject(), {"input", "on"}), QStringLiteral("Mor.14(reset macchina)|true"));
            QCOMPARE(inputs[6].toObject()["input"].toString(), QStringLiteral("Mor.15(ingresso libero)"));
        }

        const ProgramRun text = runCli({"inputs", "--port", "banco 2"}, env);
        QCOMPARE(text.status, int(Success));
        QVERIFY2(text.out.startsWith(" Stato ingressi :\n\nMor.12(conteggio)          = [O"), text.out.constData());
        QCOMPARE(text.out.count("= [O"), 7);
    }

    // A series in one run: 8 controllers on pseudo-terminals and 8 on the network are written,
    // read back and committed, each hearing exactly what a run on it alone sends; a silent one
    // and a device server that never answers fail alone. The server comes first: an open that
    // waited for it would hold up every other port for its 5 s.
    void aSeriesCommitsEveryControllerThatAgreesWhileTheOthersFailAlone()
    {
        const QString ini = path("series.ini"), pty = path("series-pty"), net = path("series-net"), list = path("list");
        QVERIFY(writeFile(ini, iniOf(moduleOf(edited()))) && QDir().mkpath(pty) && QDir().mkpath(net));
        const QString on = QStringLiteral("Simulated TQ310 on ");
        Sim ptys({"--controllers", "8", "--record-host", pty}), nets({"--controllers", "8", "--listen", "0", "--record-host", net});
        Sim silent({"--fault", "silent"});
        QTcpServer mute;  // the system takes the connection; nobody answers the Telnet options
        QVERIFY(mute.listen(QHostAddress::LocalHost));
        const QString dead = QStringLiteral("rfc2217://127.0.0.1:%1").arg(mute.serverPort());
        QStringList arguments{"write", ini, "--commit", "--json", "--port", dead};
        QByteArray fromFile = "# banco 2\n";
        for (int k = 0; k < 8; ++k) {
            arguments << "--port" << (k ? ptys.waitForLine(on) : ptys.slave());
            fromFile += (k ? nets.waitForLine(on) : nets.slave()).toUtf8() + "\n\n";
        }
        QVERIFY(writeFile(list, fromFile + silent.slave().toUtf8()));
        const ProgramRun run = runCli(arguments << "--ports-from" << list);
        QCOMPARE(run.status, int(LineFailed));  // the highest of the ports'

        QList<QJsonObject> outcomes;
        for (const QByteArray& line : run.out.trimmed().split('\n'))
            outcomes << jsonOf(line);
        QCOMPARE(outcomes.size(), 19);
        QCOMPARE(outcomes[17]["port"].toString(), dead);  // its 5 s end last
        QVERIFY(outcomes[17]["message"].toString().endsWith(QStringLiteral(" non risponde ")));
        for (const QJsonObject& o : outcomes.mid(0, 17))  // what each controller held is kept
            if (o["status"].toInt() == Success)
                QCOMPARE(fileBytes(o["backup"].toString()), iniOfFactory());
        QCOMPARE(outcomes[18]["message"].toString(), QStringLiteral("18 ports: 1 line failed, 16 committed, 1 no answer"));
        const QJsonArray rows = outcomes[18]["ports"].toArray();
        const QByteArray heard = "HJ" + writeFrameOf(moduleOf(edited())) + "HJWVorela\r";
        const QString crc = QStringLiteral("%1-%2").arg(edited().record[54]).arg(edited().record[55]);
        for (int k = 1; k <= 16; ++k) {
            QCOMPARE(fields(rows[k].toObject(), {"result", "crc"}), "committed|" + crc);
            const QString record = QStringLiteral("%1/host-%2.bin").arg(k <= 8 ? pty : net).arg((k - 1) % 8 + 1);
            QTRY_COMPARE_WITH_TIMEOUT(fileBytes(record), heard, 5000);
        }
        QCOMPARE(fields(rows[17].toObject(), {"port", "status"}), QStringLiteral("%1|%2").arg(silent.slave()).arg(int(NoAnswer)));

        // read, in words: a file and a line for each port as it ends, the table, the count.
        const ProgramRun read = runCli({"read", "--port", "sim", "--port", "/dev/tq310-assente", path("lettura.ini")});
        QCOMPARE(read.status, int(LineFailed));
        QCOMPARE(fileBytes(path("lettura-sim.ini")), iniOfFactory());
        const QList<QByteArray> words = read.out.split('\n');
        QCOMPARE(words.size(), 7);
        QVERIFY2(words[0].startsWith("/dev/tq310-assente: Impossibile aprire la porta Com.")
                     && words[0].endsWith(" : la porta non esiste"), words[0].constData());
        QCOMPARE(words[1], "sim: " + path("lettura-sim.ini").toUtf8() + ": 54 parameters and 12 menu texts from sim");
        QCOMPARE(words[2], "port                result       CRC     seconds");
        QVERIFY(words[3].startsWith("sim                 read         251-88  0."));
        QVERIFY(words[4].startsWith("/dev/tq310-assente  line failed  -       0."));
        QCOMPARE(words[5], "2 ports: 1 read, 1 line failed");
    }

    void aFileTheWindowRefusesIsRefusedBeforeAnythingIsSent()
    {
        const QString record = path("refusal.host");
        Sim sim({"--record-host", record});
        const QString missing = path("assente.ini"), version = path("version.ini"), value = path("value.ini");
        QVERIFY(writeFile(version, "122014\r\n1\r\n") && writeFile(value, "122013\r\n1\r\n2\r\n256\r\n"));
        const struct { QString file; QByteArray message; } cases[] = {
            {missing, "Errore nel  file oppure  file non trovato  \n"},
            {version, "Errore nel  file oppure  file non trovato    (VERSIONE DEL FILE NON CORRETTA)\n"},
            {value, "Errore nel  file oppure  file non trovato  256\n"},
        };
        for (const auto& c : cases) {
            for (const QStringList& arguments : {QStringList{"write", "--commit", "--port", sim.slave(), c.file},
                                                 QStringList{"usb", c.file, path("refused.bin")}}) {
                const ProgramRun run = runCli(arguments);
                QCOMPARE(run.status, int(FileRefused));
                QCOMPARE(run.err, "tq310-cli: " + c.file.toUtf8() + ": " + c.message);
            }
            QVERIFY(!QFile::exists(path("refused.bin")));
        }
        // Nor may a read that cannot save its file look like a success.
        const QString unwritable = path("assente/letto.ini");
        const ProgramRun read = runCli({"read", "--port", sim.slave(), unwritable});
        QCOMPARE(read.status, int(FileRefused));
        QCOMPARE(read.err, ("tq310-cli: " + unwritable + ": Errore nella scrittura: il file NON \u00E8 stato salvato  ("
                            + qt_error_string(ENOENT) + ")\n").toUtf8());
        QTRY_COMPARE_WITH_TIMEOUT(fileBytes(record), QByteArray("HJ"), 5000);  // only the read talked to it
    }

    // "usb" writes the file of the USB compiler's "Procedi" for the file the window opens, under
    // the name it is given, but never over what is not a file.
    void usbWritesTheCompilersFileUnderTheSystemsNameButNeverOverWhatIsNotAFile()
    {
        const QString good = path("good.ini"), fifo = path("fifo.bin");
        QVERIFY(writeFile(good, iniOf(moduleOf(edited()))) && mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        const struct { QString target; mode_t kind; const char* why; } cases[] = {
            {fifo, S_IFIFO, "\u00E8 una FIFO"},
            {QStringLiteral("/dev/full"), S_IFCHR, "\u00E8 un dispositivo"},  // only root could rename over it
        };
        for (const auto& c : cases) {
            if (c.kind == S_IFCHR && geteuid() != 0) {
                qInfo("/dev/full left out: only root could replace it, so only root shows that it is not");
                continue;
            }
            const ProgramRun run = runCli({"usb", good, c.target});
            QCOMPARE(run.status, int(FileRefused));
            QVERIFY2(run.err.startsWith("tq310-cli: " + c.target.toUtf8() + ": ") && run.err.contains(QByteArray(c.why)),
                     run.err.constData());
            struct stat status {};
            QVERIFY(stat(QFile::encodeName(c.target).constData(), &status) == 0 && (status.st_mode & S_IFMT) == c.kind);
        }

        QVERIFY(runCli({"usb", good, path("utf8.bin")}).status == Success);
        tq::Module1 opened;
        QVERIFY(!tq::readParamFile(opened, good));
        QCOMPARE(fileBytes(path("utf8.bin")), QByteArray::fromStdString(tq::compileUsbFile(opened, good).content));
        // "café.ini" and "uscité.bin" in Latin-1, handed over by a shell as the bytes they are.
        const QString script = "cd \"$1\" && cp good.ini \"$(printf 'caf\\351.ini')\" && "
                               "exec \"$0\" usb \"$(printf 'caf\\351.ini')\" \"$(printf 'usc\\351ta.bin')\"";
        const ProgramRun shell = runProgram(QStringLiteral("/bin/sh"), {"-c", script, TQ310_CLI, m_dir.path()});
        QCOMPARE(shell.status, int(Success));
        QVERIFY(shell.out.contains("usc\xE9ta.bin"));
        QFile written;
        const int fd = ::open((QFile::encodeName(m_dir.path()) + "/usc\xE9ta.bin").constData(), O_RDONLY);
        QVERIFY(fd >= 0 && written.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
        QCOMPARE(written.readAll(), fileBytes(path("utf8.bin")));
    }

    void everyOutcomeIsOneJsonObjectWithTheSameFields()
    {
        const QString absent = QStringLiteral("/dev/tq310-assente"), missing = path("assente.ini");
        const struct { QStringList arguments; int status; QString shown; } cases[] = {  // command|port|file|status
            {{"lettura", "--json"}, UsageError, "lettura|||2"},
            {{"read", "--json", "--port", "sim"}, UsageError, "read|sim||2"},
            {{"inputs", "--port", absent, "--json"}, LineFailed, "inputs|" + absent + "||5"},
            {{"usb", missing, path("x.bin"), "--json"}, FileRefused, "usb||" + missing + "|3"},
            {{"ports", "--json"}, Success, "ports|||0"},
        };
        for (const auto& c : cases) {
            const ProgramRun run = runCli(c.arguments);
            QCOMPARE(run.status, c.status);
            QCOMPARE(run.out.count('\n'), 1);
            const QJsonObject o = jsonOf(run.out);
            QCOMPARE(fields(o, {"command", "port", "file", "status"}), c.shown);
            QCOMPARE(o["message"].toString().isEmpty(), c.status == Success);
        }
    }

    // A terminal gets the progress; a pipe none (the exact standard errors above).
    void progressGoesToStandardErrorWhenItIsATerminal()
    {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0 && fcntl(master, F_SETFL, O_NONBLOCK) == 0);
        // Held open, so that the terminal is not hung up when the program closes its side.
        const int slave = ::open(ptsname(master), O_RDWR | O_NOCTTY);
        QVERIFY(slave >= 0);
        QProcess cli;
        cli.setStandardErrorFile(QString::fromLocal8Bit(ptsname(master)));
        cli.start(QStringLiteral(TQ310_CLI), {"read", "--port", "sim", path("progress.ini")});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), int(Success));
        QByteArray err;
        char buffer[512];
        for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
            err.append(buffer, n);
        QVERIFY2(err.startsWith("tq310-cli: reading the parameters and menu texts from sim"), err.constData());
        QVERIFY(cli.readAllStandardOutput().startsWith(path("progress.ini").toUtf8() + ": 54 parameters"));
        ::close(slave);
        ::close(master);
    }
};

QTEST_MAIN(CliPtyTest)
#include "pty_test.moc"
