#include <QApplication>

#include "app/Form1.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The program ends when the port chooser is unloaded, not when its last window hides.
    app.setQuitOnLastWindowClosed(false);
    tq::Form1 form;
    form.Form_Load();
    return app.exec();
}
