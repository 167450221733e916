#include "ui/fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QList>
#include <QStringList>

namespace tq::ui {

bool isFixedPitch(const QFont& font)
{
    // Measured rather than asked: some fontconfig set-ups do not flag a monospaced face as such.
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(QLatin1Char('i')) == metrics.horizontalAdvance(QLatin1Char('M'))
        && metrics.horizontalAdvance(QLatin1Char(' ')) == metrics.horizontalAdvance(QLatin1Char('M'));
}

QFont fixedFont(int pointSize)
{
    // Every Windows has Courier New, and Consolas since Vista; Linux matches a monospaced face to
    // the name. The system's fixed-pitch font is Courier New again on Windows, so a system
    // without either (Wine without its own fonts) gets the first family that is fixed-pitch.
    QList<QFont> candidates;
    for (const char* family : {"Courier New", "Consolas"}) {
        candidates << QFont(QString::fromLatin1(family), pointSize);
        candidates.back().setStyleHint(QFont::TypeWriter);
    }
    candidates << QFontDatabase::systemFont(QFontDatabase::FixedFont);
    candidates.back().setPointSize(pointSize);
    for (const QFont& font : candidates)
        if (isFixedPitch(font))
            return font;
    for (const QString& family : QFontDatabase::families()) {
        const QFont font(family, pointSize);
        if (QFontDatabase::isFixedPitch(family) && isFixedPitch(font))
            return font;
    }
    return candidates.front();
}

}  // namespace tq::ui
