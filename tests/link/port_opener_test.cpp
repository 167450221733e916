// The port opener: a LOCATION names the same line, with the same port number and refusal, as
// picking its entry in the chooser; what it opens, what it reports when a line will not open,
// and that a lost line is reported once, after the opener closed it.
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "link/port_opener.h"
#include "sim/simulated_port.h"

using tq::PortEntry;
using tq::PortOpener;

namespace {

PortEntry entry(const char* name, std::uint8_t number, const QString& location,
                PortEntry::Kind kind = PortEntry::Kind::Device)
{
    return PortEntry{name, location, location, number, kind};
}

}  // namespace

class PortOpenerTest : public QObject {
    Q_OBJECT
private slots:
    void aLocationGivesWhatPickingItsEntryGives()
    {
        // A device file with a second path to it, and an alias to another file.
        QTemporaryDir dir;
        const QString device = dir.filePath(QStringLiteral("ttyFAKE0"));
        const QString target = dir.filePath(QStringLiteral("pts-target"));
        for (const QString& f : {device, target}) {
            QFile file(f);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::link(device, dir.filePath(QStringLiteral("by-id-link"))));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("ports")));
        const QString alias = dir.filePath(QStringLiteral("ports/banco"));
        QVERIFY(QFile::link(target, alias));
        const QString networkAlias = dir.filePath(QStringLiteral("ports/telaio"));
        QVERIFY(QFile::link(QStringLiteral("rfc2217://10.0.0.20:4001"), networkAlias));

        PortOpener opener({entry("Porta seriale (COM1)", 1, QStringLiteral("/dev/ttyUSB0")),
                           entry("Collegamento (COM2)", 2, alias, PortEntry::Kind::Alias),
                           // Its digits read 23: the chooser connects to 23, and so does its path.
                           entry("Prolific 2 (COM3)", 3, device),
                           tq::simulatedControllerEntry(4),
                           entry("Adattatore 1234 (porta)", 5, QStringLiteral("/dev/ttyACM9")),
                           entry("Collegamento (COM8)", 8, networkAlias, PortEntry::Kind::Alias)},
                          {});
        const struct { QString location; int number; const char* refusal; } cases[] = {
            {QStringLiteral("sim"), 4, ""},
            {QStringLiteral("/dev/ttyUSB0"), 1, ""},
            {QStringLiteral("ttyUSB0"), 1, ""},  // as the system names it
            {QStringLiteral("banco"), 2, ""},
            {alias, 2, ""},
            {target, 2, ""},  // the file the alias leads to
            {dir.filePath(QStringLiteral("by-id-link")), 23, ""},
            {QStringLiteral("/dev/ttyACM9"), 0, " Numero di porta non valido (oltre 255): Adattatore 1234 (porta) "},
            // Not listed: one more line, numbered as the chooser numbers them, and kept.
            {QStringLiteral("/dev/pts/77"), 6, ""},
            {QStringLiteral("/dev/pts/77"), 6, ""},
            {QStringLiteral("ttyNONE"), 7, ""},
            {QStringLiteral("telaio"), 8, ""},
            {QStringLiteral("rfc2217://10.0.0.20:4001"), 8, ""},  // the URL the alias points at
            {QStringLiteral("tcp://10.0.0.20:4001"), 9, ""},
        };
        for (const auto& c : cases) {
            const tq::PortPick pick = opener.resolve(c.location);
            QVERIFY2(pick.number == c.number && pick.refusal == c.refusal,
                     qPrintable(c.location + QStringLiteral(" gives %1 ").arg(pick.number)
                                + QString::fromLatin1(pick.refusal)));
        }
        QCOMPARE(opener.entries().size(), std::size_t(9));
        QCOMPARE(opener.entries()[6].name, std::string("Porta seriale (COM6)"));

        // A list without the simulated controller gains it; a full list names nothing more.
        PortOpener bare({}, {});
        QCOMPARE(bare.resolve(QStringLiteral("sim")).number, 1);
        QCOMPARE(bare.entries()[0].name, std::string("Controllore simulato (COM1)"));
        std::vector<PortEntry> full;
        for (int n = 1; n <= 255; ++n)
            full.push_back(entry("Porta", std::uint8_t(n), QStringLiteral("/dev/ttyS%1").arg(n)));
        PortOpener crowded(full, {});
        const tq::PortPick none = crowded.resolve(QStringLiteral("/dev/pts/9"));
        QVERIFY(none.number == 0 && none.refusal.empty() && crowded.entries().size() == 255);
    }

    void aMissingDeviceDoesNotOpenAndSaysWhyInItalian()
    {
        PortOpener opener({}, {});
        const std::uint8_t number = opener.resolve(QStringLiteral("/dev/tq310-assente")).number;
        QString error;
        QVERIFY(!opener.open(number, &error));
        QCOMPARE(opener.port(), nullptr);
        QCOMPARE(tq::openFailedText(number, error), std::string(" Impossibile aprire la porta Com.1 : la porta non esiste "));
    }

    void theSimulatedControllerOutlivesItsLineAndALostLineIsReportedOnce()
    {
        PortOpener opener({}, tq::sim::simulatedControllerLine());
        std::vector<QString> reports;
        opener.setLostHandler([&](const QString& reason) {
            QCOMPARE(opener.port(), nullptr);  // already closed
            reports.push_back(reason);
        });
        const std::uint8_t number = opener.resolve(QStringLiteral("sim")).number;
        QString error;
        QVERIFY(opener.open(number, &error));
        auto* line = qobject_cast<tq::sim::SimulatedPort*>(opener.port());
        QVERIFY(line);
        tq::sim::ControllerModel& controller = line->controller();
        controller.setFault(tq::sim::Fault::LineDropped);
        line->write("H");  // finds the line gone
        line->write("H");
        QTRY_COMPARE(reports.size(), std::size_t(1));
        QCoreApplication::processEvents();
        QCOMPARE(reports, std::vector<QString>{tq::sim::lineDroppedText()});
        QCOMPARE(tq::connectionLostText(number, reports[0]),
                 std::string(" Connessione persa con la porta Com.1 : il cavo del TQ310 simulato \xE8 stato scollegato "));

        // The next line reaches the same controller: still unplugged, then plugged in again.
        QVERIFY(!opener.open(number, &error));
        QCOMPARE(error, tq::sim::lineDroppedText());
        controller.setFault(tq::sim::Fault::None);
        QVERIFY(opener.open(number, &error));
        QCOMPARE(&qobject_cast<tq::sim::SimulatedPort*>(opener.port())->controller(), &controller);
    }
};

QTEST_MAIN(PortOpenerTest)
#include "port_opener_test.moc"
