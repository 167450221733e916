// The whole link on a real pseudo-terminal: the chooser lists it through the folder of port
// aliases, the QSerialPort backend opens it and carries every byte value both ways unchanged,
// and closing the far end puts the tool in the unconnected state with one message and nothing
// lost.
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <numeric>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include "app/Form1.h"
#include "ui/message_box.h"
#include "support/control.h"

class Form1LinkPtyTest : public QObject {
    Q_OBJECT
private slots:
    void connectsThroughAnAliasAndFallsBackWhenThePeerCloses()
    {
        // The test holds the master side of the pseudo-terminal, where the controller would be.
        const int peer = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(peer >= 0 && grantpt(peer) == 0 && unlockpt(peer) == 0 && fcntl(peer, F_SETFL, O_NONBLOCK) == 0);
        QTemporaryDir aliases;
        QVERIFY(QFile::link(QString::fromLocal8Bit(ptsname(peer)), aliases.filePath(QStringLiteral("banco-prova"))));
        qputenv("TQ310_PORT_ALIASES", aliases.path().toLocal8Bit());
        tq::ui::MessageCapture messages;
        tq::Form1 form;
        form.Form_Load();
        qunsetenv("TQ310_PORT_ALIASES");
        const auto found = form.chooser()->List1->findItems(QStringLiteral("banco-prova"), Qt::MatchContains);
        QCOMPARE(found.size(), 1);
        form.chooser()->List1_Click(found[0]);
        QVERIFY(form.isConnected());
        control<QTimer>(form, "Timer1")->stop();  // the test takes the bytes itself

        std::string all(256, '\0'), got(256, '\0');
        std::iota(all.begin(), all.end(), '\0');
        form.port()->write(all);
        std::size_t n = 0;
        QVERIFY(QTest::qWaitFor([&] {
            n += std::max<ssize_t>(0, ::read(peer, &got[n], got.size() - n));
            return n == got.size();
        }, 5000));
        QCOMPARE(got, all);
        QCOMPARE(::write(peer, all.data(), all.size()), ssize_t(all.size()));
        QTRY_COMPARE(form.port()->bytesWaiting(), 256);
        QCOMPARE(form.port()->takeAll(), all);

        // The adapter is pulled: one message, and the file name, the list and the terminal stay.
        form.module().CurrentFileName = "prova.ini";
        const QString line0 = control<QListWidget>(form, "List1")->item(0)->text();
        form.terminal().set("in corso");
        ::close(peer);
        QTRY_VERIFY(!form.isConnected());
        QCoreApplication::processEvents();  // a second report would have been queued by now
        QCOMPARE(messages.messages.size(), std::size_t(1));
        QVERIFY(messages.messages[0].text.starts_with(" Connessione persa con la porta Com."));
        QVERIFY(!control<QTimer>(form, "Timer1")->isActive() && !control<QPushButton>(form, "Command17")->isEnabled()
                && control<QAction>(form, "connetti")->isEnabled());
        QCOMPARE(form.module().CurrentFileName, std::string("prova.ini"));
        QCOMPARE(control<QListWidget>(form, "List1")->item(0)->text(), line0);
        QCOMPARE(form.terminal().text(), std::string("in corso"));
    }

    // Connected and silent, the main thread sleeps: after one tick with nothing to do Timer1
    // stands still. What the controller then says wakes it and shows in Text1, and it sleeps
    // again; a read-back wakes it without a byte having come.
    void atRestTheReceiveTimerSleepsUntilTheControllerSpeaks()
    {
        const int peer = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(peer >= 0 && grantpt(peer) == 0 && unlockpt(peer) == 0 && fcntl(peer, F_SETFL, O_NONBLOCK) == 0);
        QTemporaryDir aliases;
        QVERIFY(QFile::link(QString::fromLocal8Bit(ptsname(peer)), aliases.filePath(QStringLiteral("banco-prova"))));
        qputenv("TQ310_PORT_ALIASES", aliases.path().toLocal8Bit());
        tq::ui::MessageCapture messages;
        tq::Form1 form;
        form.Form_Load();
        qunsetenv("TQ310_PORT_ALIASES");
        form.chooser()->List1_Click(form.chooser()->List1->findItems(QStringLiteral("banco-prova"), Qt::MatchContains)[0]);
        QVERIFY(form.isConnected() && control<QTimer>(form, "Timer1")->isActive());

        QTRY_VERIFY(form.receiveClock().asleep());
        QVERIFY(!control<QTimer>(form, "Timer1")->isActive());
        for (const char* said : {"Pronto\r\n", "Menu 3\r\n"}) {
            QCOMPARE(::write(peer, said, std::strlen(said)), ssize_t(std::strlen(said)));
            const QString shown = QString::fromLatin1(said).trimmed();
            QTRY_VERIFY(control<QPlainTextEdit>(form, "Text1")->toPlainText().trimmed().endsWith(shown));
            QTRY_VERIFY(form.receiveClock().asleep());
        }
        QCOMPARE(form.terminal().text(), std::string("Pronto\r\nMenu 3\r\n"));

        use(form, "daltq310");
        QVERIFY(!form.receiveClock().asleep());
        QCOMPARE(control<QTimer>(form, "Timer1")->interval(), 200);
        // No answer: the engine says so at every tick, and never sleeps in the read-back.
        QTRY_COMPARE(form.terminal().text(), form.module().NoAnswerText);
        QVERIFY(!form.receiveClock().asleep() && control<QTimer>(form, "Timer1")->isActive());
        use(form, "disconnetti");
        QVERIFY(messages.messages.empty());
        ::close(peer);
    }
};

QTEST_MAIN(Form1LinkPtyTest)
#include "form1_link_pty_test.moc"
