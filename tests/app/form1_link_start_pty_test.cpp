// The start on a line named on the command line (--port) is picking that line in the chooser:
// for each way of naming it, the window ends as the chooser's pick leaves it (the same port
// number, caption and states, the chooser closed), on a real pseudo-terminal reached through the
// folder of port aliases and on the simulated controller. A line that does not open gives the
// chooser's message and the unconnected state.
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include "app/Form1.h"
#include "ui/message_box.h"
#include "support/control.h"

namespace {

// How a start left the window.
struct Outcome {
    bool connected = false;
    int portNumber = 0;
    QString caption;         // Label8
    bool mainShown = false;
    bool chooserShown = false;
    std::vector<std::string> messages;
};

template <typename Start>
Outcome start(const QString& aliases, Start how)
{
    qputenv("TQ310_PORT_ALIASES", aliases.toLocal8Bit());
    tq::ui::MessageCapture messages;
    tq::Form1 form;
    how(form);
    qunsetenv("TQ310_PORT_ALIASES");
    Outcome o{form.isConnected(), form.module().PortNumber, control<QLabel>(form, "Label8")->text(), form.isVisible(),
              form.chooser()->isVisible(), {}};
    for (const tq::ui::ShownMessage& m : messages.messages)
        o.messages.push_back(m.text);
    return o;
}

}  // namespace

class Form1StartPortTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The test holds the master side of the pseudo-terminal, where the controller would be.
        m_peer = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(m_peer >= 0 && grantpt(m_peer) == 0 && unlockpt(m_peer) == 0);
        m_slave = QString::fromLocal8Bit(ptsname(m_peer));
        QVERIFY(QFile::link(m_slave, m_aliases.filePath(QStringLiteral("banco-prova"))));
    }

    void cleanupTestCase() { ::close(m_peer); }

    void likeTheChoosersPick_data()
    {
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("entry");  // what the chooser's entry for the same line reads
        QTest::newRow("sim") << "sim" << "Controllore simulato";
        QTest::newRow("a link's name") << "banco-prova" << "banco-prova";
        QTest::newRow("the device behind a link") << "{slave}" << "banco-prova";
    }

    void likeTheChoosersPick()
    {
        QFETCH(QString, location);
        QFETCH(QString, entry);
        location.replace(QStringLiteral("{slave}"), m_slave);

        const Outcome picked = start(m_aliases.path(), [&entry](tq::Form1& form) {
            form.Form_Load();
            const auto found = form.chooser()->List1->findItems(entry, Qt::MatchContains);
            QCOMPARE(found.size(), 1);
            form.chooser()->List1_Click(found[0]);
        });
        const Outcome named = start(m_aliases.path(), [&location](tq::Form1& form) { form.Form_Load(location); });

        QVERIFY(picked.connected && picked.portNumber != 0);
        QCOMPARE(named.connected, picked.connected);
        QCOMPARE(named.portNumber, picked.portNumber);
        QCOMPARE(named.caption, picked.caption);
        QCOMPARE(named.mainShown, true);
        QCOMPARE(named.chooserShown, false);
        QCOMPARE(named.messages, picked.messages);
    }

    void aLineThatDoesNotOpen()
    {
        const Outcome named = start(m_aliases.path(), [](tq::Form1& form) {
            form.Form_Load(QStringLiteral("/dev/tq310-assente"));
        });
        QVERIFY(!named.connected);
        QCOMPARE(named.portNumber, 0);
        QCOMPARE(named.caption, QStringLiteral(" Nessuna connessione "));
        QVERIFY(named.mainShown && !named.chooserShown);
        QCOMPARE(named.messages.size(), std::size_t(1));
        QVERIFY2(QRegularExpression(QStringLiteral("^ Impossibile aprire la porta Com\\.[0-9]+ : la porta non esiste $"))
                     .match(QString::fromLatin1(named.messages[0]))
                     .hasMatch(),
                 named.messages[0].c_str());
    }

private:
    int m_peer = -1;
    QString m_slave;
    QTemporaryDir m_aliases;
};

QTEST_MAIN(Form1StartPortTest)
#include "form1_link_start_pty_test.moc"
