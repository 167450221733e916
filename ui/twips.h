#pragma once
// The fixed windows are laid out in twips, 1440 to the inch: 15 twips to a pixel on a 96 dpi
// screen, scaled with the screen's logical dpi.

#include <QRect>
#include <QtGlobal>

namespace tq::ui {

struct Twips {
    int left, top, width, height;
};

inline int twipsToPixels(int twips, qreal logicalDpi)
{
    return qRound(twips * logicalDpi / 1440.0);
}

inline QRect pixels(const Twips& t, qreal logicalDpi)
{
    return {twipsToPixels(t.left, logicalDpi), twipsToPixels(t.top, logicalDpi),
            twipsToPixels(t.width, logicalDpi), twipsToPixels(t.height, logicalDpi)};
}

}  // namespace tq::ui
