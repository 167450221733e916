// "Produci", MascPro and the window InpOut on the real main window, with a scripted port that
// answers each step of the production simulation.
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "operations/diagnostics_fixture.h"
#include "operations/inp_out.h"
#include "operations/simulation_rows.h"
#include "ui/fonts.h"

using tq::Form1;
using tq::test::ConnectedForm1;

namespace {

// A course in which only output position k is set (RowBuffer[0..3], position 0 = bit 0 of byte 0).
std::string courseWith(int position)
{
    std::string row(4, '\0');
    row[position / 8] = static_cast<char>(1u << (position % 8));
    return row;
}

std::array<std::uint8_t, 23> bufferOf(const std::string& row)
{
    std::array<std::uint8_t, 23> buffer{};
    for (std::size_t i = 0; i < row.size(); ++i)
        buffer[i] = static_cast<std::uint8_t>(row[i]);
    return buffer;
}

QStringList rowTexts(tq::InpOut& window)
{
    QStringList texts;
    for (QLabel* label : window.Label1)
        texts << label->text();
    return texts;
}

struct AtWrite {
    std::uint8_t mode;
    int interval;
    std::int16_t counter;
    std::string direction;
    QStringList rows;
    bool mainEnabled;
};

}  // namespace

class SimulationWindowTest : public QObject {
    Q_OBJECT

private slots:
    void produciStartsTheSimulationStepByStep()
    {
        ConnectedForm1 c;
        // A simulation that ran before: rows on screen, counter and timer of other operations.
        c.form.simulationWindow();
        c.m().RowDirection = ">";
        c.m().RowCounter = 8;
        c.form.conta();
        c.form.Timer1->setInterval(80);
        std::vector<AtWrite> seen;
        c.port->onWrite = [&] {
            seen.push_back({c.m().ReceiveMode, c.interval(), c.m().RowCounter, c.m().RowDirection,
                            rowTexts(*c.form.inpOut()), c.form.isEnabled()});
        };

        c.form.Command14->click();

        QCOMPARE(c.port->writes, std::vector<std::string>{"R"});
        const AtWrite& atR = seen.front();
        QCOMPARE(atR.interval, 50);
        QCOMPARE(atR.mode, std::uint8_t(tq::SimStep));
        QCOMPARE(atR.direction, std::string("<"));
        QCOMPARE(atR.rows, QStringList(QList<QString>(10)));
        QCOMPARE(atR.counter, std::int16_t(9));  // set to 0 only after "R" went out
        QVERIFY(atR.mainEnabled);                 // the window opens last
        QCOMPARE(c.m().RowCounter, std::int16_t(0));
        QVERIFY(c.form.inpOut()->isVisible());
        QVERIFY(!c.form.isEnabled());
    }

    void theFirstCourseAfterAResetGoesAgainstTheStartingSide()
    {
        struct Case {
            std::uint8_t startSide;
            const char* direction;
            const char* firstCourse;
        };
        for (const Case& k : {Case{0, "<", ">0"}, Case{1, ">", "<0"}, Case{7, ">", "<0"}}) {
            ConnectedForm1 c;
            c.m().FileParams[0] = k.startSide;
            c.form.Command14->click();
            QCOMPARE(c.m().RowDirection, std::string(k.direction));
            c.port->feed(courseWith(0));
            c.tick();
            QVERIFY2(c.form.inpOut()->Label1[9]->text().endsWith(QLatin1String(k.firstCourse)),
                     qPrintable(c.form.inpOut()->Label1[9]->text()));
        }
    }

    void aResetShowsSevenCoursesWithoutAKeyPress()
    {
        ConnectedForm1 c;
        c.form.Command14->click();
        for (int course = 0; course < 7; ++course) {
            c.port->feed(courseWith(course));
            c.tick();
            // The next course is asked for while fewer than seven are drawn.
            const std::size_t steps = std::min(course + 1, 6);
            QCOMPARE(c.port->writes.size(), 1 + steps);
            QCOMPARE(c.port->writes.back(), std::string("S"));
        }
        QCOMPARE(c.m().RowCounter, std::int16_t(7));
        c.tick();
        QCOMPARE(c.port->writes.size(), std::size_t(7));  // "R" and six "S"

        tq::InpOut& window = *c.form.inpOut();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(window.Label1[i]->text(), QString());
        for (int course = 0; course < 7; ++course) {
            const std::string marks = tq::courseMarks(bufferOf(courseWith(course)));
            const std::string end = (course % 2 ? "<" : ">") + std::to_string(course);
            QCOMPARE(window.Label1[3 + course]->text(), QString::fromLatin1(marks + end));
        }

        // Each "CONTEGGIO" then adds one course and asks for no more.
        window.Command1->click();
        QCOMPARE(c.port->writes.back(), std::string("S"));
        QCOMPARE(c.m().ReceiveMode, std::uint8_t(tq::SimStep));
        QCOMPARE(c.interval(), 50);
        c.port->feed(courseWith(31));
        c.tick();
        QCOMPARE(c.port->writes.size(), std::size_t(8));
        QCOMPARE(window.Label1[9]->text(), QStringLiteral("* . . . . . . .  . . . . . . . .  . . . . . . . .  "
                                                          ". . . . . . . .  <7"));
        QVERIFY(window.Label1[2]->text().endsWith(QLatin1String(">0")));
    }

    void anOverlongAnswerIsDroppedAndEndsTheSteps()
    {
        ConnectedForm1 c;
        c.form.Command14->click();
        c.port->feed(courseWith(3));
        c.tick();
        QCOMPARE(c.port->writes, (std::vector<std::string>{"R", "S"}));

        c.port->feed("\x01\x02");  // not yet a row: left waiting
        c.tick();
        QCOMPARE(c.port->incoming.size(), std::size_t(2));
        c.port->feed(std::string(11, '\x7F'));  // 13 bytes
        c.tick();
        c.tick();
        QCOMPARE(c.port->writes, (std::vector<std::string>{"R", "S"}));
        QCOMPARE(c.m().RowCounter, std::int16_t(1));
        QCOMPARE(c.port->incoming, std::string());
        const QStringList rows = rowTexts(*c.form.inpOut());
        QCOMPARE(rows.count(QString()), 9);
        QVERIFY(rows[9].endsWith(QLatin1String(">0")));
    }

    void resetInTheWindowStartsAgain()
    {
        ConnectedForm1 c;
        c.form.Command14->click();
        for (int course = 0; course < 3; ++course) {
            c.port->feed(courseWith(course));
            c.tick();
        }
        c.port->clearSent();
        c.m().FileParams[0] = 1;
        c.form.inpOut()->Command2->click();
        QCOMPARE(c.port->writes, std::vector<std::string>{"R"});
        QCOMPARE(c.m().RowCounter, std::int16_t(0));
        QCOMPARE(c.m().RowDirection, std::string(">"));
        QCOMPARE(rowTexts(*c.form.inpOut()).count(QString()), 10);
        QVERIFY(c.form.inpOut()->isVisible());
        QVERIFY(!c.form.isEnabled());
    }

    void closingTheWindowGivesTheMainWindowBackAndLeavesTheSimulationMode()
    {
        ConnectedForm1 c;
        c.form.Command14->click();
        tq::InpOut& window = *c.form.inpOut();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.close();
        QVERIFY(c.form.isEnabled());
        QTRY_VERIFY(c.form.isActiveWindow());
        QCOMPARE(c.m().ReceiveMode, std::uint8_t(tq::SimStep));
        QCOMPARE(c.interval(), 50);

        // Opened again: the same window, cleared.
        c.form.Command14->click();
        QCOMPARE(c.form.inpOut(), &window);
        QVERIFY(window.isVisible());
        QVERIFY(!c.form.isEnabled());
    }

    void theWindowShowsTheCoursesAsItsUsersReadThem()
    {
        ConnectedForm1 c;
        c.form.Command14->click();
        tq::InpOut& window = *c.form.inpOut();
        QCOMPARE(window.windowTitle(), QStringLiteral("Test per Input e Output"));
        QCOMPARE(window.Label2->text(),
                 QStringLiteral(" 31 30 29 28 27  26 25 24   23  22  21 20 19  18 17  16   15  14  13 12  11  10  9  8"
                                "       7   6   5    4    3   2   1   0         corse"));
        QCOMPARE(window.Command1->text(), QStringLiteral("CONTEGGIO"));
        QCOMPARE(window.Command2->text(), QStringLiteral("RESET"));

        c.m().RowBuffer = bufferOf(std::string("\x01\x00\x00\x80", 4));
        c.m().RowDirection = "<";
        c.m().RowCounter = 32000;
        c.form.conta();
        QLabel* newest = window.Label1[9];
        const QString row = newest->text();
        QVERIFY(newest->width() >= newest->fontMetrics().horizontalAdvance(row) + newest->indent());

        QWidget* area = newest->parentWidget();
        for (int i = 0; i < 10; ++i) {
            QLabel* label = window.Label1[i];
            QVERIFY(tq::ui::isFixedPitch(label->font()));
            QCOMPARE(label->parentWidget(), area);
            QCOMPARE(label->x(), 0);
            if (i > 0)
                QCOMPARE(label->y(), window.Label1[i - 1]->geometry().bottom() + 1);
            QVERIFY(label->autoFillBackground());
            const QColor shade = label->palette().color(QPalette::Window);
            if (i > 0)
                QVERIFY(shade != window.Label1[i - 1]->palette().color(QPalette::Window));
            if (i > 1)
                QCOMPARE(shade, window.Label1[i - 2]->palette().color(QPalette::Window));
        }

        // Each line falls in the gap after a group: after the marks of positions 24, 16, 8 and 0,
        // before the first mark of the next group (or the direction).
        const QFontMetricsF metrics(newest->font());
        const auto xOf = [&](int column) { return newest->indent() + metrics.horizontalAdvance(row.left(column)); };
        const int lastMark[4] = {14, 31, 48, 65};
        for (int k = 0; k < 4; ++k) {
            QFrame* line = window.Line[k];
            QCOMPARE(line->parentWidget(), area);
            QCOMPARE(line->frameShape(), QFrame::VLine);
            QCOMPARE(line->height(), area->height());
            const double centre = line->geometry().left() + line->width() / 2.0;
            QVERIFY2(centre > xOf(lastMark[k] + 1) && centre < xOf(lastMark[k] + 3),
                     qPrintable(QStringLiteral("line %1 at %2").arg(k + 1).arg(centre)));
            QCOMPARE(row.at(lastMark[k] + 1), QLatin1Char(' '));
            QCOMPARE(row.at(lastMark[k] + 2), QLatin1Char(' '));
        }

        // The heading's "31" stands over the first mark, its "0" over the last.
        const QString heading = window.Label2->text();
        const QFontMetricsF headingMetrics(window.Label2->font());
        const double headingLeft = window.Label2->mapTo(&window, QPoint(0, 0)).x() + window.Label2->indent()
            - area->mapTo(&window, QPoint(0, 0)).x();
        const auto headingCentre = [&](int at, int length) {
            return headingLeft + headingMetrics.horizontalAdvance(heading.left(at))
                + headingMetrics.horizontalAdvance(heading.mid(at, length)) / 2;
        };
        const double column = metrics.horizontalAdvance(QLatin1Char('*'));
        QVERIFY(std::abs(headingCentre(heading.indexOf(QLatin1String("31")), 2) - (xOf(0) + column / 2)) < column / 2);
        QVERIFY(std::abs(headingCentre(heading.lastIndexOf(QLatin1String(" 0 ")) + 1, 1) - (xOf(65) + column / 2))
                < column / 2);

        // The buttons below the rows, "CONTEGGIO" left and "RESET" right.
        const QPoint count = window.Command1->mapTo(&window, QPoint(0, 0));
        const QPoint reset = window.Command2->mapTo(&window, QPoint(0, 0));
        QVERIFY(count.y() > area->geometry().bottom());
        QVERIFY(reset.x() > count.x() + window.Command1->width());
    }
};

QTEST_MAIN(SimulationWindowTest)
#include "simulation_window_test.moc"
