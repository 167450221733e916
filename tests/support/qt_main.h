#pragma once
// One program, several Qt Test classes: each runs in turn on one application object, as
// QTEST_MAIN would run it alone, and the program fails when any of them fails.

#include <QtTest>

namespace tq::test {

template <typename Test>
int runQtTest(int argc, char** argv)
{
    Test test;
    return QTest::qExec(&test, argc, argv);
}

template <typename App, typename... Tests>
int runQtTests(int argc, char** argv)
{
    App app(argc, argv);
    QCoreApplication::setAttribute(Qt::AA_Use96Dpi, true);
    int failed = 0;
    ((failed += runQtTest<Tests>(argc, argv)), ...);
    return failed;
}

}  // namespace tq::test

#define TQ_QTEST_MAIN(App, ...) \
    int main(int argc, char** argv) { return tq::test::runQtTests<App, __VA_ARGS__>(argc, argv); }
