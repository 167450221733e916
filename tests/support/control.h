#pragma once
// A window's control found by its object name, the name the form designer gave it (Command17,
// Label4, List1, Timer1, the menu items daltq310, aprif, ...): the way tests reach the main
// window's controls, which it keeps private. A name the window does not have, or a control of
// another type, ends the test program at once, naming both. In the windows' own namespace, so
// that a call finds them through its window argument, without a using-declaration.
#include <QAbstractButton>
#include <QAction>

namespace tq {

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
    else
        control<QAction>(window, name)->trigger();
}

}  // namespace tq
