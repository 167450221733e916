#include <QApplication>

#include <cstdio>

#include <optional>

#include "app/Form1.h"
#include "app/command_line.h"
#include "app/quit_after_read.h"
#include "ui/message_box.h"
#include "ui/qt_italian.h"

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX  // mingw's C++ library defines it already
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace {

tq::CommandLine readArguments(int argc, char* argv[])
{
    // A core application only: it reads the arguments without opening a display.
    QCoreApplication core(argc, argv);
    return tq::readCommandLine(QCoreApplication::arguments());
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("tq310-test"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));
    const tq::CommandLine command = readArguments(argc, argv);
    if (command.finished) {
#ifdef Q_OS_WIN
        // A Windows program without a console window prints into the console it was started
        // from, if any.
        if (AttachConsole(ATTACH_PARENT_PROCESS)) {
            std::freopen("CONOUT$", "w", stdout);
            std::freopen("CONOUT$", "w", stderr);
        }
#endif
        std::fputs(command.out.toLocal8Bit().constData(), stdout);
        std::fputs(command.err.toLocal8Bit().constData(), stderr);
        return command.exitCode;
    }

    QApplication app(argc, argv);
    tq::ui::installQtItalian();
    // The desktop entry's name, so that a Wayland compositor shows the entry's icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.kelvora.tq310test"));
    // The program ends when the port chooser is unloaded, not when its last window hides.
    app.setQuitOnLastWindowClosed(false);
    std::optional<tq::ui::MessageCapture> messages;
    if (command.quitAfterRead)
        messages.emplace();
    tq::Form1 form;
    form.Form_Load(command.port);
    if (command.quitAfterRead)
        return tq::readAndQuit(form, *messages);
    return app.exec();
}
