#include "ui/menu_keys.h"

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QShortcut>

namespace tq::ui {

void openFirstMenuOnF10(QMainWindow* window)
{
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), window);
    f10->setObjectName(QStringLiteral("F10"));
    QObject::connect(f10, &QShortcut::activated, window, [window] {
        QMenuBar* bar = window->menuBar();
        if (!bar->actions().isEmpty())
            bar->setActiveAction(bar->actions().first());  // highlights it and opens its menu
    });
}

}  // namespace tq::ui
