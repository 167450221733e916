// tq310-cli end to end against tq310-sim on a pseudo-terminal, the program run as a script runs
// it. The faults guarded: a commit that reaches the EEPROM although the read-back differs or
// never came, a set-up overwritten without a backup of it, a script left hanging by a silent
// controller, a status that does not tell the cause, and values that do not survive the
// controller's restart.
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
#include "cli_process.h"
#include "files/backups.h"
#include "files/param_file.h"
#include "operations/transfers.h"
#include "params/crc.h"
#include "sim/param_image.h"
#include "support/disk_full.h"
#include "support/file_bytes.h"
#include "support/simulator_process.h"

using tq::test::fileBytes;
using tq::test::writeFile;
using tq::test::CliRun;
using tq::test::runCli;

namespace {

QByteArray bytesOf(const std::string& s)
{
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
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
    return bytesOf(content);
}

// What "Trafferisci parametri nel TQ310" sends for this working copy.
QByteArray writeFrameOf(tq::Module1 m)
{
    tq::Crcgen(m.FileParams);
    return "L" + QByteArray(reinterpret_cast<const char*>(m.FileParams.data()), tq::kDeviceRecordSize)
        + bytesOf(tq::menuTextBlock(m.FileMenuTexts));
}

QJsonObject jsonOf(const QByteArray& line)
{
    return QJsonDocument::fromJson(line).object();
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
        const QString eeprom = path("restart.eeprom");  // none yet: the factory set-up
        const QString factoryIni = path("factory.ini"), editedIni = path("edited.ini"), afterIni = path("after.ini");
        const tq::sim::ParamImage factory = tq::sim::factorySetup(), wanted = edited();
        {
            tq::test::SimulatorProcess sim(QStringLiteral(TQ310_SIM), {QStringLiteral("--eeprom"), eeprom});
            QVERIFY(!sim.slave().isEmpty());

            const CliRun read = runCli({QStringLiteral("read"), QStringLiteral("--port"), sim.slave(), factoryIni,
                                        QStringLiteral("--json")});
            QCOMPARE(read.status, int(tq::cli::Success));
            QCOMPARE(read.err, QByteArray());  // no progress: standard error is not a terminal
            QCOMPARE(fileBytes(factoryIni), iniOf(moduleOf(factory)));
            const QJsonObject result = jsonOf(read.out);
            QCOMPARE(result[QStringLiteral("crc")].toString(),
                     QStringLiteral("%1-%2").arg(factory.record[54]).arg(factory.record[55]));
            QVERIFY(result[QStringLiteral("crcMatches")].toBool());
            QCOMPARE(result[QStringLiteral("params")].toArray().size(), tq::kParamCount);
            QCOMPARE(result[QStringLiteral("params")].toArray()[3].toInt(), int(factory.record[3]));
            QCOMPARE(result[QStringLiteral("texts")].toArray()[11].toString(), QString::fromLatin1(factory.texts.substr(110)));

            // The engineer edits the file and commits it.
            QVERIFY(writeFile(editedIni, iniOf(moduleOf(wanted))));
            const CliRun write = runCli({QStringLiteral("write"), QStringLiteral("--port"), sim.slave(), editedIni,
                                         QStringLiteral("--commit")});
            QCOMPARE(write.status, int(tq::cli::Success));
            QVERIFY2(write.out.contains("Parametri salvati in EEPROM"), write.out.constData());
            QTRY_COMPARE_WITH_TIMEOUT(fileBytes(eeprom), bytesOf(wanted.bytes()), 5000);
        }
        // A new start of the controller loads its EEPROM: the committed values come back.
        tq::test::SimulatorProcess sim(QStringLiteral(TQ310_SIM), {QStringLiteral("--eeprom"), eeprom});
        const CliRun read = runCli({QStringLiteral("read"), QStringLiteral("--port"), sim.slave(), afterIni});
        QCOMPARE(read.status, int(tq::cli::Success));
        QCOMPARE(fileBytes(afterIni), fileBytes(editedIni));
        QVERIFY2(read.out.contains(QStringLiteral("device CRC %1-%2 (matches the parameters)")
                                       .arg(wanted.record[54]).arg(wanted.record[55]).toUtf8()),
                 read.out.constData());
    }

    void aReadBackThatDiffersIsRefusedAndNothingIsCommitted()
    {
        tq::Module1 shortText = moduleOf(tq::sim::factorySetup());
        shortText.FileMenuTexts[4] = "DISCO";  // the controller pads it to "DISCO     "
        tq::Module1 slot12 = moduleOf(tq::sim::factorySetup());
        slot12.FileMenuTexts[12] = "TREDICI";  // never held by the controller
        tq::Module1 clearScreen = moduleOf(tq::sim::factorySetup());
        clearScreen.FileMenuTexts[4] = "\x1B[2J";  // shown to the operator, it would clear the screen
        const struct {
            const char* what;
            tq::Module1 file;
            const char* fault;
            const char* comparison;
            const char* refusal;
            const char* difference;  // the first pair listed for the engineer
        } cases[] = {
            {"a short menu text", shortText, "none", "menu-texts", tq::kTextsDifferText,
             "  menu text 4: file \"DISCO\", controller \"DISCO     \""},
            {"a text in slot 12", slot12, "none", "menu-texts", tq::kTextsDifferText,
             "  menu text 12: file \"TREDICI\", controller \"\""},
            {"a text holding ESC [ 2 J", clearScreen, "none", "menu-texts", tq::kTextsDifferText,
             "  menu text 4: file \"\\x1B[2J\", controller \"\\x1B[2J      \""},
            {"a garbled read-back", moduleOf(tq::sim::factorySetup()), "garbage", "parameters", tq::kParamsDifferText,
             "  parameter "},
        };
        for (const auto& c : cases) {
            const QString eeprom = path("refused.eeprom"), ini = path("refused.ini"), record = path("refused.host");
            const QByteArray before = bytesOf(tq::sim::factorySetup().bytes());
            QVERIFY(writeFile(eeprom, before));
            QVERIFY(writeFile(ini, iniOf(c.file)));
            tq::test::SimulatorProcess sim(QStringLiteral(TQ310_SIM),
                                           {QStringLiteral("--eeprom"), eeprom, QStringLiteral("--record-host"), record,
                                            QStringLiteral("--fault"), QString::fromLatin1(c.fault)});
            const CliRun run = runCli({QStringLiteral("write"), QStringLiteral("--port"), sim.slave(), ini,
                                       QStringLiteral("--commit"), QStringLiteral("--json")});
            QVERIFY2(run.status == tq::cli::CommitRefused, c.what);
            const QJsonObject result = jsonOf(run.out);
            QCOMPARE(result[QStringLiteral("comparison")].toString(), QString::fromLatin1(c.comparison));
            QCOMPARE(result[QStringLiteral("committed")].toBool(), false);
            QCOMPARE(result[QStringLiteral("status")].toInt(), int(tq::cli::CommitRefused));
            const QList<QByteArray> err = run.err.split('\n');
            QCOMPARE(err[0], "tq310-cli: " + ini.toUtf8() + ":" + c.refusal);
            QVERIFY2(err[1].startsWith(c.difference), err[1].constData());

            // The controller heard the read for the backup, the write and the read-back, and nothing
            // after them.
            const QByteArray sent = "HJ" + writeFrameOf(c.file) + "HJ";
            QTRY_COMPARE_WITH_TIMEOUT(fileBytes(record).size(), sent.size(), 5000);
            QCOMPARE(fileBytes(record), sent);
            QCOMPARE(fileBytes(eeprom), before);
        }
    }

    void aControllerThatDoesNotAnswerEndsTheScriptWithStatusFour()
    {
        const QByteArray frame = writeFrameOf(moduleOf(tq::sim::factorySetup()));
        const QString ini = path("factory-for-silent.ini");
        QVERIFY(writeFile(ini, iniOf(moduleOf(tq::sim::factorySetup()))));
        const QByteArray unverified = "The write frame (\"L\", 177 bytes) went out but was NOT verified";
        const struct {
            const char* fault;
            QStringList arguments;  // --port follows
            QByteArray heard;       // what the controller received in all
            const char* counted;    // how much of the awaited answer came
        } cases[] = {
            {"silent", {QStringLiteral("read"), path("silent.ini")}, "H", "(0 of 56 bytes)"},
            {"silent", {QStringLiteral("write"), ini, QStringLiteral("--commit"), QStringLiteral("--no-backup")},
             frame + "H", "(0 of 56 bytes)"},
            // Nothing is written into a controller whose set-up could not be read for the backup.
            {"short", {QStringLiteral("write"), ini, QStringLiteral("--commit")}, "H", "(28 of 56 bytes)"},
            {"silent", {QStringLiteral("inputs"), QStringLiteral("--count"), QStringLiteral("2")}, "KKKKK",
             "(0 of 1 bytes)"},
        };
        for (const auto& c : cases) {
            const QString record = path("silent.host");
            tq::test::SimulatorProcess sim(QStringLiteral(TQ310_SIM), {QStringLiteral("--fault"), QString::fromLatin1(c.fault),
                                                                       QStringLiteral("--record-host"), record});
            const CliRun run = runCli(c.arguments + QStringList{QStringLiteral("--port"), sim.slave(), QStringLiteral("--json")});
            QVERIFY(run.finished);  // the program gives up by itself
            QCOMPARE(run.status, int(tq::cli::NoAnswer));
            QVERIFY2(run.err.startsWith("tq310-cli: " + sim.slave().toUtf8() + ": no complete answer")
                         && run.err.contains(c.counted),
                     run.err.constData());
            QVERIFY(run.err.contains("\n La macchina non risponde !!\n\n Controllare che non sia \n in produzione"));
            QCOMPARE(run.err.contains(unverified), c.heard.startsWith('L'));  // only when the frame went out
            const QJsonObject result = jsonOf(run.out);
            QCOMPARE(result[QStringLiteral("status")].toInt(), int(tq::cli::NoAnswer));
            QCOMPARE(result[QStringLiteral("port")].toString(), sim.slave());
            QVERIFY(result[QStringLiteral("message")].toString().toUtf8().contains(c.counted));
            QVERIFY(!QFile::exists(path("silent.ini")));
            QTRY_COMPARE_WITH_TIMEOUT(fileBytes(record).size(), c.heard.size(), 5000);
            QCOMPARE(fileBytes(record), c.heard);
        }
    }

    // What a write replaces is kept first: the read for the backup comes before the "L" frame, and
    // a backup that cannot be kept stops the write before it (before anything, when the folder
    // cannot be made).
    void writeKeepsTheSetUpItReplacesBeforeItWrites()
    {
        const tq::Module1 wanted = moduleOf(edited());
        const QString ini = path("replace.ini"), record = path("replace.host");
        QVERIFY(writeFile(ini, iniOf(wanted)));
        QVERIFY(writeFile(path("plain"), "not a folder"));
        const QByteArray frame = writeFrameOf(wanted), factory = iniOf(moduleOf(tq::sim::factorySetup()));
        // fileLimit: the largest file the program may write (0: no limit); backup: the one backup in
        // the folder, none when empty.
        const struct { const char* what; QString folder; QStringList options; rlim_t fileLimit; int status;
                       QByteArray heard, backup; } cases[] = {
            {"kept", path("copie-1"), {}, 0, tq::cli::Success, "HJ" + frame + "HJ", factory},
            {"not asked for", path("copie-2"), {QStringLiteral("--no-backup")}, 0, tq::cli::Success, frame + "HJ", {}},
            {"a folder that cannot be made", path("plain/copie"), {}, 0, tq::cli::FileRefused, "", {}},
            {"a disk too full for the file", path("copie-3"), {}, 100, tq::cli::FileRefused, "HJ", {}},
        };
        for (const auto& c : cases) {
            tq::test::SimulatorProcess sim(QStringLiteral(TQ310_SIM), {QStringLiteral("--record-host"), record});
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("TQ310_BACKUPS"), c.folder);
            const QStringList arguments = QStringList{QStringLiteral("write"), QStringLiteral("--port"), sim.slave(), ini};
            CliRun run;
            const auto write = [&] { run = runCli(arguments + c.options, env); };
            c.fileLimit ? tq::test::withDiskFull(c.fileLimit, write) : write();
            QVERIFY2(run.status == c.status, c.what);
            if (c.status == tq::cli::FileRefused) {  // the folder and the system's reason
                const QByteArray said = "tq310-cli: Copia di sicurezza NON salvata in " + c.folder.toUtf8() + " (";
                QVERIFY2(run.err.startsWith(said) && run.err.endsWith(")\n") && run.err.size() > said.size() + 2,
                         run.err.constData());
            }
            QTRY_COMPARE_WITH_TIMEOUT(fileBytes(record).size(), c.heard.size(), 5000);
            QCOMPARE(fileBytes(record), c.heard);
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
        tq::test::SimulatorProcess sim(QStringLiteral(TQ310_SIM),
                                       {QStringLiteral("--fault"), QStringLiteral("silent"), QStringLiteral("--record-host"), record});
        QProcess cli;
        cli.start(QStringLiteral(TQ310_CLI), {QStringLiteral("read"), QStringLiteral("--port"), sim.slave(), path("lost.ini")});
        QTRY_COMPARE_WITH_TIMEOUT(fileBytes(record), QByteArray("H"), 5000);
        sim.process().write("drop\n");
        QVERIFY(sim.process().waitForBytesWritten(5000));
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), int(tq::cli::LineFailed));
        // The window's report, with the number the chooser gives the line.
        const QByteArray lost = cli.readAllStandardError();
        QVERIFY2(lost.startsWith("tq310-cli: " + sim.slave().toUtf8() + ": Connessione persa con la porta Com.")
                     && lost.endsWith(" \n"),
                 lost.constData());

        for (const QString& absent : {QStringLiteral("/dev/tq310-assente"), QStringLiteral("banco-assente")}) {
            const CliRun run = runCli({QStringLiteral("inputs"), QStringLiteral("--port"), absent});
            QCOMPARE(run.status, int(tq::cli::LineFailed));
            QVERIFY2(run.err.startsWith("tq310-cli: " + absent.toUtf8() + ": Impossibile aprire la porta Com.")
                         && run.err.endsWith(" : la porta non esiste \n"),
                     run.err.constData());
        }
    }

    void aPortAliasNameReachesTheControllerAndInputsArePrintedAsTheMonitorShowsThem()
    {
        tq::test::SimulatorProcess sim(QStringLiteral(TQ310_SIM), {QStringLiteral("--alias"), QStringLiteral("banco 2")});
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TQ310_PORT_ALIASES"), sim.aliasFolder());

        const CliRun ports = runCli({QStringLiteral("ports")}, env);
        QCOMPARE(ports.status, int(tq::cli::Success));
        QVERIFY2(ports.out.contains("\tCollegamento (COM"), ports.out.constData());
        QVERIFY(ports.out.contains(("\tbanco 2\tbanco 2 \xE2\x86\x92 " + sim.slave()).toUtf8()));
        QVERIFY(ports.out.endsWith("\tsim\tsimulatore interno del controllore, senza cavo\n"));

        // The simulated machine holds its reset input for 1.5 s after the first command.
        const CliRun json = runCli({QStringLiteral("inputs"), QStringLiteral("--port"), QStringLiteral("banco 2"),
                                    QStringLiteral("--count"), QStringLiteral("3"), QStringLiteral("--json")}, env);
        QCOMPARE(json.status, int(tq::cli::Success));
        const QList<QByteArray> lines = json.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 3);
        for (int n = 0; n < 3; ++n) {
            const QJsonObject reading = jsonOf(lines[n]);
            QCOMPARE(reading[QStringLiteral("reading")].toInt(), n + 1);
            const QJsonArray inputs = reading[QStringLiteral("inputs")].toArray();
            QCOMPARE(inputs.size(), 7);
            QCOMPARE(inputs[2].toObject()[QStringLiteral("input")].toString(), QStringLiteral("Mor.14(reset macchina)"));
            QCOMPARE(inputs[6].toObject()[QStringLiteral("input")].toString(), QStringLiteral("Mor.15(ingresso libero)"));
            QVERIFY(inputs[2].toObject()[QStringLiteral("on")].toBool());
        }

        const CliRun text = runCli({QStringLiteral("inputs"), QStringLiteral("--port"), QStringLiteral("banco 2")}, env);
        QCOMPARE(text.status, int(tq::cli::Success));
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
        const QString eight = QStringLiteral("8"), on = QStringLiteral("Simulated TQ310 on ");
        tq::test::SimulatorProcess ptys(QStringLiteral(TQ310_SIM), {QStringLiteral("--controllers"), eight,
                                                                    QStringLiteral("--record-host"), pty});
        tq::test::SimulatorProcess nets(QStringLiteral(TQ310_SIM), {QStringLiteral("--controllers"), eight,
                                                                    QStringLiteral("--listen"), QStringLiteral("0"),
                                                                    QStringLiteral("--record-host"), net});
        tq::test::SimulatorProcess silent(QStringLiteral(TQ310_SIM), {QStringLiteral("--fault"), QStringLiteral("silent")});
        QTcpServer mute;  // the system takes the connection; nobody answers the Telnet options
        QVERIFY(mute.listen(QHostAddress::LocalHost));
        const QString dead = QStringLiteral("rfc2217://127.0.0.1:%1").arg(mute.serverPort());
        QStringList arguments{QStringLiteral("write"), ini, QStringLiteral("--commit"), QStringLiteral("--json"),
                              QStringLiteral("--port"), dead};
        QByteArray fromFile = "# banco 2\n";
        for (int k = 0; k < 8; ++k) {
            arguments << QStringLiteral("--port") << (k ? ptys.waitForLine(on) : ptys.slave());
            fromFile += (k ? nets.waitForLine(on) : nets.slave()).toUtf8() + "\n\n";
        }
        QVERIFY(writeFile(list, fromFile + silent.slave().toUtf8()));
        const CliRun run = runCli(arguments << QStringLiteral("--ports-from") << list);
        QCOMPARE(run.status, int(tq::cli::LineFailed));  // the highest of the ports'

        QList<QJsonObject> outcomes;
        for (const QByteArray& line : run.out.trimmed().split('\n'))
            outcomes << jsonOf(line);
        QCOMPARE(outcomes.size(), 19);
        QCOMPARE(outcomes[17][QStringLiteral("port")].toString(), dead);  // its 5 s end last
        QVERIFY(outcomes[17][QStringLiteral("message")].toString().endsWith(QStringLiteral(" non risponde ")));
        for (const QJsonObject& o : outcomes.mid(0, 17))  // what each controller held is kept
            if (o[QStringLiteral("status")].toInt() == tq::cli::Success)
                QCOMPARE(fileBytes(o[QStringLiteral("backup")].toString()), iniOf(moduleOf(tq::sim::factorySetup())));
        QCOMPARE(outcomes[18][QStringLiteral("message")].toString(),
                 QStringLiteral("18 ports: 1 line failed, 16 committed, 1 no answer"));
        const QJsonArray rows = outcomes[18][QStringLiteral("ports")].toArray();
        const QByteArray heard = "HJ" + writeFrameOf(moduleOf(edited())) + "HJWVorela\r";
        const QString crc = QStringLiteral("%1-%2").arg(edited().record[54]).arg(edited().record[55]);
        for (int k = 1; k <= 16; ++k) {
            QCOMPARE(rows[k][QStringLiteral("result")].toString() + ' ' + rows[k][QStringLiteral("crc")].toString(),
                     QStringLiteral("committed ") + crc);
            const QString record = QStringLiteral("%1/host-%2.bin").arg(k <= 8 ? pty : net).arg((k - 1) % 8 + 1);
            QTRY_COMPARE_WITH_TIMEOUT(fileBytes(record), heard, 5000);
        }
        QCOMPARE(rows[17][QStringLiteral("port")].toString(), silent.slave());
        QCOMPARE(rows[17][QStringLiteral("status")].toInt(), int(tq::cli::NoAnswer));

        // read, in words: a file and a line for each port as it ends, the table, the count.
        const CliRun read = runCli({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("sim"),
                                    QStringLiteral("--port"), QStringLiteral("/dev/tq310-assente"), path("lettura.ini")});
        QCOMPARE(read.status, int(tq::cli::LineFailed));
        QCOMPARE(fileBytes(path("lettura-sim.ini")), iniOf(moduleOf(tq::sim::factorySetup())));
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
        tq::test::SimulatorProcess sim(QStringLiteral(TQ310_SIM), {QStringLiteral("--record-host"), record});
        const QString missing = path("assente.ini"), version = path("version.ini"), value = path("value.ini");
        QVERIFY(writeFile(version, "122014\r\n1\r\n"));
        QVERIFY(writeFile(value, "122013\r\n1\r\n2\r\n256\r\n"));
        const struct { QString file; QByteArray message; } cases[] = {
            {missing, "Errore nel  file oppure  file non trovato  \n"},
            {version, "Errore nel  file oppure  file non trovato    (VERSIONE DEL FILE NON CORRETTA)\n"},
            {value, "Errore nel  file oppure  file non trovato  256\n"},
        };
        for (const auto& c : cases) {
            const QString out = path("refused.bin");
            const CliRun runs[] = {
                runCli({QStringLiteral("write"), QStringLiteral("--commit"), QStringLiteral("--port"), sim.slave(), c.file}),
                runCli({QStringLiteral("usb"), c.file, out}),
            };
            for (const CliRun& run : runs) {
                QCOMPARE(run.status, int(tq::cli::FileRefused));
                QCOMPARE(run.err, "tq310-cli: " + c.file.toUtf8() + ": " + c.message);
            }
            QVERIFY(!QFile::exists(out));
        }
        // Nor may a read that cannot save its file look like a success.
        const QString unwritable = path("assente/letto.ini");
        const CliRun read = runCli({QStringLiteral("read"), QStringLiteral("--port"), sim.slave(), unwritable});
        QCOMPARE(read.status, int(tq::cli::FileRefused));
        QCOMPARE(read.err, ("tq310-cli: " + unwritable + ": Errore nella scrittura: il file NON \u00E8 stato salvato  ("
                            + qt_error_string(ENOENT) + ")\n").toUtf8());
        QTRY_COMPARE_WITH_TIMEOUT(fileBytes(record), QByteArray("HJ"), 5000);  // only the read talked to it
    }

    void aSaveNeverReplacesWhatIsNotAFileAndNamesStayTheSystems()
    {
        const QString good = path("good.ini"), fifo = path("fifo.bin");
        QVERIFY(writeFile(good, iniOf(moduleOf(tq::sim::factorySetup()))));
        QVERIFY(mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        const struct { QString target; mode_t kind; const char* why; } cases[] = {
            {fifo, S_IFIFO, "\u00E8 una FIFO"},
            {QStringLiteral("/dev/full"), S_IFCHR, "\u00E8 un dispositivo"},  // only root could rename over it
        };
        for (const auto& c : cases) {
            if (c.kind == S_IFCHR && geteuid() != 0) {
                qInfo("/dev/full left out: only root could replace it, so only root shows that it is not");
                continue;
            }
            const CliRun run = runCli({QStringLiteral("usb"), good, c.target});
            QCOMPARE(run.status, int(tq::cli::FileRefused));
            QVERIFY2(run.err.startsWith("tq310-cli: " + c.target.toUtf8() + ": ") && run.err.contains(QByteArray(c.why)),
                     run.err.constData());
            struct stat status {};
            QVERIFY(stat(QFile::encodeName(c.target).constData(), &status) == 0 && (status.st_mode & S_IFMT) == c.kind);
        }

        // "café.ini" and "uscité.bin" in Latin-1, handed over by a shell as the bytes they are.
        QVERIFY(runCli({QStringLiteral("usb"), good, path("utf8.bin")}).status == tq::cli::Success);
        QProcess shell;
        shell.setWorkingDirectory(m_dir.path());
        shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"),
                                                QStringLiteral("cp good.ini \"$(printf 'caf\\351.ini')\" && "
                                                               "exec \"$0\" usb \"$(printf 'caf\\351.ini')\" \"$(printf 'usc\\351ta.bin')\""),
                                                QStringLiteral(TQ310_CLI)});
        QVERIFY(shell.waitForFinished(30000));
        QCOMPARE(shell.exitCode(), int(tq::cli::Success));
        QVERIFY(shell.readAllStandardOutput().contains("usc\xE9ta.bin"));
        QFile written;
        const int fd = ::open((QFile::encodeName(m_dir.path()) + "/usc\xE9ta.bin").constData(), O_RDONLY);
        QVERIFY(fd >= 0 && written.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
        QCOMPARE(written.readAll(), fileBytes(path("utf8.bin")));
    }

    void everyOutcomeIsOneJsonObjectWithTheSameFields()
    {
        const QString absent = QStringLiteral("/dev/tq310-assente"), missing = path("assente.ini");
        const struct { QStringList arguments; int status; QString command, port, file; } cases[] = {
            {{QStringLiteral("lettura"), QStringLiteral("--json")}, tq::cli::UsageError, QStringLiteral("lettura"), {}, {}},
            {{QStringLiteral("read"), QStringLiteral("--json"), QStringLiteral("--port"), QStringLiteral("sim")},
             tq::cli::UsageError, QStringLiteral("read"), QStringLiteral("sim"), {}},
            {{QStringLiteral("inputs"), QStringLiteral("--port"), absent, QStringLiteral("--json")}, tq::cli::LineFailed,
             QStringLiteral("inputs"), absent, {}},
            {{QStringLiteral("usb"), missing, path("x.bin"), QStringLiteral("--json")}, tq::cli::FileRefused,
             QStringLiteral("usb"), {}, missing},
            {{QStringLiteral("ports"), QStringLiteral("--json")}, tq::cli::Success, QStringLiteral("ports"), {}, {}},
        };
        for (const auto& c : cases) {
            const CliRun run = runCli(c.arguments);
            QCOMPARE(run.status, c.status);
            QCOMPARE(run.out.count('\n'), 1);
            const QJsonObject o = jsonOf(run.out);
            const QStringList shown{o[QStringLiteral("command")].toString(), o[QStringLiteral("port")].toString(),
                                    o[QStringLiteral("file")].toString(), QString::number(o[QStringLiteral("status")].toInt(-1))};
            QCOMPARE(shown, (QStringList{c.command, c.port, c.file, QString::number(c.status)}));
            QCOMPARE(o[QStringLiteral("message")].toString().isEmpty(), c.status == tq::cli::Success);
        }
    }

    void progressGoesToStandardErrorOnlyWhenItIsATerminal()
    {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0 && fcntl(master, F_SETFL, O_NONBLOCK) == 0);
        // Held open, so that the terminal is not hung up when the program closes its side.
        const int slave = ::open(ptsname(master), O_RDWR | O_NOCTTY);
        QVERIFY(slave >= 0);
        for (const bool terminal : {false, true}) {
            QProcess cli;
            if (terminal)
                cli.setStandardErrorFile(QString::fromLocal8Bit(ptsname(master)));
            cli.start(QStringLiteral(TQ310_CLI), {QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("sim"),
                                                  path("progress.ini")});
            QVERIFY(cli.waitForFinished(30000));
            QCOMPARE(cli.exitCode(), int(tq::cli::Success));
            QByteArray err = cli.readAllStandardError();
            char buffer[512];
            for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
                err.append(buffer, n);
            QCOMPARE(err.startsWith("tq310-cli: reading the parameters and menu texts from sim"), terminal);
            QVERIFY(cli.readAllStandardOutput().startsWith(path("progress.ini").toUtf8() + ": 54 parameters"));
        }
        ::close(slave);
        ::close(master);
    }
};

QTEST_MAIN(CliPtyTest)
#include "pty_test.moc"
