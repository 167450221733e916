#pragma once
// "Informazioni su Test per TQ310": the program's version, the build it comes from (the commit of
// its sources, Qt, the compiler) and the licence notices of what it is built from and shipped with.

#include <QDialog>

class QLabel;
class QTextBrowser;

namespace tq {

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

    QLabel* Version = nullptr;        // the program and its version
    QLabel* Build = nullptr;          // the commit, Qt, the compiler, the system
    QTextBrowser* Notices = nullptr;  // the licence notices
};

}  // namespace tq
