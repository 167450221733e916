// The scroll bar that repaints only when it looks different, beside a plain one taking the same
// changes: after every change both show the same pixels (a skipped repaint that mattered would
// leave a stale handle or arrow), and following a text that grows a line at a time it paints a
// few times (while its handle shrinks) where the plain one paints at every line.
#include <QtTest>

#include <functional>

#include "support/paint_probe.h"
#include "ui/quiet_scroll_bar.h"

using tq::test::onScreen;
using tq::test::PaintCounter;

class QuietScrollBarTest : public QObject {
    Q_OBJECT
private slots:
    void showsWhatAPlainScrollBarShowsWithFewerPaints()
    {
        using Change = std::function<void(QScrollBar&, int step)>;
        const struct { const char* what; int steps; Change change; bool fewer; } cases[] = {
            // A text following its end, two lines a tick: the handle soon has its least length.
            {"following a growing text", 1000,
             [](QScrollBar& b, int step) {
                 b.setRange(0, 2 * step);
                 b.setValue(b.maximum());
             },
             true},
            // The reader scrolled up and stays: the handle shrinks but stays at the top.
            {"a growing text read from the top", 1000, [](QScrollBar& b, int step) { b.setRange(0, 2 * step); }, true},
            // Every change moves the handle: nothing to skip.
            {"paging through a short text", 12, [](QScrollBar& b, int step) { b.setValue(step % 4 * 10); }, false},
            {"reaching either end", 8, [](QScrollBar& b, int step) { b.setValue(step % 2 ? b.maximum() : b.minimum()); },
             false},
        };
        for (const auto& c : cases) {
            QWidget window;
            tq::ui::QuietScrollBar quiet(Qt::Vertical, &window);
            QScrollBar plain(Qt::Vertical, &window);
            for (QScrollBar* b : {static_cast<QScrollBar*>(&quiet), &plain}) {
                b->setGeometry(b == &quiet ? 20 : 60, 0, 16, 300);  // away from the pointer at 0, 0
                b->setRange(0, 40);
                b->setPageStep(15);
            }
            window.resize(100, 300);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            PaintCounter quietPaints(&quiet), plainPaints(&plain);
            for (int step = 1; step <= c.steps; ++step) {
                const int painted = plainPaints.paints;
                c.change(quiet, step);
                c.change(plain, step);
                // The plain bar repaints at every change; the window's repaint brings both.
                QTRY_VERIFY(plainPaints.paints > painted);
                QVERIFY2(onScreen(quiet) == onScreen(plain),
                         qPrintable(QStringLiteral("%1, step %2").arg(QLatin1String(c.what)).arg(step)));
            }
            QVERIFY2(plainPaints.paints >= c.steps, c.what);
            QVERIFY2(c.fewer ? quietPaints.paints * 5 < plainPaints.paints : quietPaints.paints == plainPaints.paints,
                     qPrintable(QStringLiteral("%1: %2 / %3").arg(QLatin1String(c.what)).arg(quietPaints.paints)
                                    .arg(plainPaints.paints)));
        }
    }
};

QTEST_MAIN(QuietScrollBarTest)
#include "quiet_scroll_bar_test.moc"
