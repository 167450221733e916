#include "app/prog1.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <QVBoxLayout>

namespace tq {

prog1::prog1(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("prog1"));
    setWindowTitle(QStringLiteral("Programmatore QX-232-TTL"));

    // Drawn from its SVG at the screen's scale, so it stays sharp.
    const qreal scale = devicePixelRatioF();
    QPixmap picture(QSize(393, 211) * scale);
    picture.fill(Qt::white);
    QSvgRenderer svg(QStringLiteral(":/pictures/programmer.svg"));
    QPainter painter(&picture);
    svg.render(&painter);
    painter.end();
    picture.setDevicePixelRatio(scale);
    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(picture);
    Picture1->setFixedSize(393, 211);
    Picture1->setAccessibleName(QString::fromUtf8("Cavo USB con il convertitore cilindrico e il cavo piatto"));

    Label1 = new QLabel(QStringLiteral("Programmatore necessario per connessione interattiva con TQ310"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Picture1, 0, Qt::AlignCenter);
    layout->addWidget(Label1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace tq
