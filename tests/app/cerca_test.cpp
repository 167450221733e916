// The port chooser window: its texts, what the digit rule reads of an entry, refused entries
// and a discovery that failed.
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "link/cerca.h"
#include "ui/message_box.h"

using tq::cerca;
using tq::PortDiscovery;
using tq::PortEntry;

class CercaTest : public QObject {
    Q_OBJECT
private slots:
    void readsTheFirstLineOfAnEntryAndRefusesNumbersAbove255()
    {
        tq::ui::MessageCapture messages;
        cerca w([] {
            return PortDiscovery{{PortEntry{"Porta seriale (COM1)", QStringLiteral("/dev/ttyUSB0  FT232R USB UART"), {}, 1},
                                  PortEntry{"Adattatore 1234", {}, {}, 2}}, {}};
        });
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("CONNESSIONE      (porte disponibili)"));
        QCOMPARE(w.Command2->text(), QStringLiteral("Lavore senza nessuna connessione"));
        QCOMPARE(w.List1->item(0)->text(), QStringLiteral("Porta seriale (COM1)\n/dev/ttyUSB0  FT232R USB UART"));
        QCOMPARE(w.List1->item(0)->toolTip(), QStringLiteral("/dev/ttyUSB0  FT232R USB UART"));

        QSignalSpy chosen(&w, &cerca::portChosen);
        auto click = [&](int row) {
            w.show();
            QTest::mouseClick(w.List1->viewport(), Qt::LeftButton, {}, w.List1->visualItemRect(w.List1->item(row)).center());
        };
        click(1);
        QCOMPARE(chosen.count(), 0);
        QVERIFY(w.isVisible());
        QCOMPARE(messages.messages.size(), std::size_t(1));
        QCOMPARE(messages.messages[0].text, std::string(" Numero di porta non valido (oltre 255): Adattatore 1234 "));
        QCOMPARE(messages.messages[0].title, std::string("ERRORE"));
        click(0);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen[0][0].value<std::uint8_t>(), std::uint8_t(1));  // not 10: "/dev/ttyUSB0" is not read
        QVERIFY(!w.isVisible());
    }

    void aFailedDiscoveryLeavesTheListEmptyAndSaysSo()
    {
        tq::ui::MessageCapture messages;
        cerca w([] {
            return PortDiscovery{{PortEntry{"Porta seriale (COM1)", {}, {}, 1}}, QStringLiteral("elenco non leggibile")};
        });
        QCOMPARE(w.List1->count(), 0);
        QVERIFY(w.entries().empty());
        w.reportDiscoveryError();
        QCOMPARE(messages.messages.size(), std::size_t(1));
        QCOMPARE(messages.messages[0].text, std::string("Ricerca delle porte seriali non riuscita: elenco non leggibile"
                                                        "\r\nSi pu\xF2 lavorare senza nessuna connessione."));
        QSignalSpy without(&w, &cerca::withoutConnection);
        QTest::mouseClick(w.Command2, Qt::LeftButton);
        QCOMPARE(without.count(), 1);
        QSignalSpy unloaded(&w, &cerca::unloaded);
        w.show();
        w.close();
        QCOMPARE(unloaded.count(), 1);
    }
};

QTEST_MAIN(CercaTest)
#include "cerca_test.moc"
