#include "ui/fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>

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
    QFont font(QStringLiteral("Courier New"), pointSize);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (!isFixedPitch(font)) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSize(pointSize);
    }
    return font;
}

}  // namespace tq::ui
