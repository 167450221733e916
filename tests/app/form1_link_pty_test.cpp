// The whole link on a real pseudo-terminal: the chooser lists it through the folder of port
// aliases, the QSerialPort backend opens it and carries every byte value both ways unchanged,
// and closing the far end puts the tool in the unconnected state with one message.
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "app/Form1.h"
#include "link/pty_peer.h"
#include "link/qt_serial_port.h"
#include "ui/message_box.h"

class Form1LinkPtyTest : public QObject {
    Q_OBJECT
private slots:
    void connectsThroughAnAliasAndFallsBackWhenThePeerCloses()
    {
        tq::test::PtyPeer peer;
        QVERIFY(peer.isValid());
        QTemporaryDir aliases;
        QVERIFY(QFile::link(peer.slavePath(), aliases.filePath(QStringLiteral("banco-prova"))));
        qputenv("TQ310_PORT_ALIASES", aliases.path().toLocal8Bit());
        tq::ui::MessageCapture messages;

        tq::Form1 form;
        form.Form_Load();
        qunsetenv("TQ310_PORT_ALIASES");
        QListWidget* list = form.chooser()->List1;
        const auto found = list->findItems(QStringLiteral("banco-prova"), Qt::MatchContains);
        QCOMPARE(found.size(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
        QVERIFY(form.isConnected());
        QVERIFY(messages.messages.empty());
        QVERIFY(form.Label8->text().startsWith(QStringLiteral("Connesso a Com.")));
        form.Timer1->stop();  // the test ticks by hand

        std::string all;
        for (int b = 0; b < 256; ++b)
            all += static_cast<char>(b);
        form.port()->write(all);
        QCOMPARE(peer.read(256), all);
        QVERIFY(peer.write(all));
        QTRY_COMPARE(form.port()->bytesWaiting(), 256);
        QCOMPARE(form.port()->takeAll(), all);

        QVERIFY(peer.write("SELEZIONA\r\n"));
        QTRY_COMPARE(form.port()->bytesWaiting(), 11);
        form.Timer1_Timer();
        QCOMPARE(form.Text1->toPlainText(), QStringLiteral("SELEZIONA\n"));

        form.module().CurrentFileName = "prova.ini";
        peer.close();
        QTRY_VERIFY(!form.isConnected());
        QCoreApplication::processEvents();  // a second report would have been queued by now
        QCOMPARE(messages.messages.size(), std::size_t(1));
        QVERIFY(messages.messages[0].text.starts_with(" Connessione persa con la porta Com."));
        QCOMPARE(form.Label8->text(), QStringLiteral(" Nessuna connessione "));
        QVERIFY(!form.Timer1->isActive() && form.connetti->isEnabled());
        QCOMPARE(form.module().CurrentFileName, std::string("prova.ini"));
    }

    void aMissingDeviceIsSaidInItalian()
    {
        tq::QtSerialPort port({tq::PortEntry{"Porta seriale (COM1)", {}, QStringLiteral("/dev/tq310-assente"), 1}});
        port.setPortNumber(1);
        QString error;
        QVERIFY(!port.open(&error));
        QCOMPARE(error, QStringLiteral("la porta non esiste"));
        QVERIFY(!port.isOpen());
    }
};

QTEST_MAIN(Form1LinkPtyTest)
#include "form1_link_pty_test.moc"
