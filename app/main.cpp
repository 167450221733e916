#include <QApplication>

#include "app/Form1.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    tq::Form1 form;
    form.ListInit();
    form.show();
    return app.exec();
}
