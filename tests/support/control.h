#pragma once
// A window's control found by its object name, the name the form designer gave it (Command17,
// Label4, List1, Timer1, the menu items daltq310, aprif, ...): the way tests reach the main
// window's controls, which it keeps private. A name the window does not have, or a control of
// another type, ends the test program at once, naming both.
#include <QAbstractButton>
#include <QAction>
#include <QObject>
#include <QtGlobal>

namespace tq::test {

template <typename T>
T* control(const QObject& window, const char* name)
{
    T* found = window.findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("%s has no %s named %s", qPrintable(window.objectName()), T::staticMetaObject.className(), name);
    return found;
}

// The named button clicked, or the named menu item triggered, as a user does.
inline void use(const QObject& window, const char* name)
{
    QObject* item = control<QObject>(window, name);
    if (auto* button = qobject_cast<QAbstractButton*>(item))
        button->click();
    else if (auto* action = qobject_cast<QAction*>(item))
        action->trigger();
    else
        qFatal("%s is neither a button nor a menu item", name);
}

}  // namespace tq::test
