// The main of every GoogleTest program: one application object for the whole run, so that a test
// may wait on the event loop (a lost line reported from it, a socket, a child process).
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
