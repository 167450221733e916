#include "app/quit_after_read.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

#include <cstdio>

#include "app/Form1.h"
#include "link/receive_engine.h"
#include "ui/message_box.h"

namespace tq {

namespace {

constexpr int kPatienceMs = 10000;
constexpr int kLookEveryMs = 50;

enum Status { Read = 0, NotConnected = 1, NoAnswer = 3 };

// Runs the event loop until the read-back that daltq310 started is over: the sender has set
// ParamRead, and the engine goes back to Terminal once the menu texts that follow the record are
// taken.
int waitForReadBack(Form1& form)
{
    QElapsedTimer clock;
    clock.start();
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&form, &clock] {
        if (!form.isConnected())
            QCoreApplication::exit(NotConnected);
        else if (engineInTerminalMode(form.module()))
            QCoreApplication::exit(Read);
        else if (clock.hasExpired(kPatienceMs))
            QCoreApplication::exit(NoAnswer);
    });
    look.start(kLookEveryMs);
    return QCoreApplication::exec();
}

}  // namespace

int readAndQuit(Form1& form, const ui::MessageCapture& messages)
{
    int status = NotConnected;
    if (form.isConnected()) {
        form.daltq310->trigger();
        status = waitForReadBack(form);
    }
    for (const ui::ShownMessage& m : messages.messages)
        std::fprintf(stderr, "%s\n", QString::fromLatin1(m.text).toLocal8Bit().constData());
    if (status == Read)
        std::printf("%s\n", form.Label4->text().toLocal8Bit().constData());
    return status;
}

}  // namespace tq
