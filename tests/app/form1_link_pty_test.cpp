// The whole link on a real pseudo-terminal: the chooser lists it through the folder of port
// aliases, the real serial backend opens it, the controller's text reaches Text1, and pulling
// the far end puts the tool in the unconnected state with one message.
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "app/Form1.h"
#include "link/pty_peer.h"
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
        QListWidget* list = form.chooser()->List1;
        QListWidgetItem* entry = nullptr;
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->text().contains(QStringLiteral("banco-prova")))
                entry = list->item(i);
        QVERIFY(entry);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(entry).center());
        QVERIFY2(form.isConnected(), messages.messages.empty() ? "" : messages.messages[0].text.c_str());
        QVERIFY(form.Label8->text().startsWith(QStringLiteral("Connesso a Com.")));
        form.Timer1->stop();  // the test ticks by hand

        tq::sendPanelKey(form.link(), tq::PanelKey::MenuPlus);
        QCOMPARE(peer.read(1), std::string("M"));
        QVERIFY(peer.write("SELEZIONA\r\n"));
        QTRY_COMPARE(form.port()->bytesWaiting(), 11);
        form.Timer1_Timer();
        QCOMPARE(form.Text1->toPlainText(), QStringLiteral("SELEZIONA\n"));

        form.module().CurrentFileName = "prova.ini";
        peer.close();
        QTRY_VERIFY(!form.isConnected());
        QCoreApplication::processEvents();
        QCOMPARE(messages.messages.size(), std::size_t(1));
        QVERIFY(messages.messages[0].text.starts_with(" Connessione persa con la porta Com."));
        QCOMPARE(form.Label8->text(), QStringLiteral(" Nessuna connessione "));
        QVERIFY(!form.Timer1->isActive());
        QVERIFY(form.connetti->isEnabled());
        QCOMPARE(form.module().CurrentFileName, std::string("prova.ini"));
        QCOMPARE(form.module().PortNumber, 0);
        qunsetenv("TQ310_PORT_ALIASES");
    }
};

QTEST_MAIN(Form1LinkPtyTest)
#include "form1_link_pty_test.moc"
