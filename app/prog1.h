#pragma once
// The programmer information window: a picture of the USB-serial adapter and what it is for.
// It has no buttons; the user closes it with the close box.

#include <QWidget>

class QLabel;

namespace tq {

class prog1 : public QWidget {
    Q_OBJECT
public:
    explicit prog1(QWidget* parent = nullptr);

    QLabel* Picture1 = nullptr;
    QLabel* Label1 = nullptr;
};

}  // namespace tq
