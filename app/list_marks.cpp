#include "app/list_marks.h"

#include <QApplication>
#include <QListWidget>
#include <QPainter>
#include <QStyledItemDelegate>

#include "params/list_view.h"

namespace tq {

namespace {

// Set on the parameter lines while no record has come from the controller.
constexpr int kDeviceUnknownRole = Qt::UserRole + 1;

const QColor kMarkText(160, 0, 0);
const QColor kMarkGround(255, 226, 214);

// Draws a line as every line is drawn, with blanks where the device value stands, then the value
// in the disabled text colour over the blanks. The font is fixed-pitch, so the value lands where
// the line would have drawn it.
class DeviceColumnDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (!index.data(kDeviceUnknownRole).toBool()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString line = opt.text;
        opt.text = line.left(kChipValueColumn) + QString(kValueFieldWidth, QLatin1Char(' '))
            + line.mid(kChipValueColumn + kValueFieldWidth);
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

        // The margin the style leaves before an item's text.
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget).adjusted(margin, 0, -margin, 0);
        area.setLeft(area.left() + QFontMetrics(opt.font).horizontalAdvance(line.left(kChipValueColumn)));
        painter->save();
        painter->setFont(opt.font);
        painter->setPen(opt.palette.color(QPalette::Disabled, QPalette::Text));
        painter->drawText(area, int(opt.displayAlignment) | Qt::TextSingleLine, line.mid(kChipValueColumn, kValueFieldWidth));
        painter->restore();
    }
};

void setMark(QListWidgetItem* item, const std::string* toolTip)
{
    if (!toolTip) {
        // Only a role that holds something: each change is a signal and a repaint of the line.
        for (int role : {int(Qt::ForegroundRole), int(Qt::BackgroundRole), int(Qt::FontRole), int(Qt::ToolTipRole)})
            if (item->data(role).isValid())
                item->setData(role, QVariant());
        return;
    }
    QFont bold = item->listWidget()->font();
    bold.setBold(true);
    item->setFont(bold);
    item->setForeground(kMarkText);
    item->setBackground(kMarkGround);
    item->setToolTip(QString::fromLatin1(*toolTip));
}

}  // namespace

void installDifferenceMarks(QListWidget* list)
{
    list->setItemDelegate(new DeviceColumnDelegate(list));
}

void markDifferences(QListWidget* list, const Module1& m, const Differences& d)
{
    auto next = d.lines.begin();
    for (int row = 0; row < list->count(); ++row) {
        QListWidgetItem* item = list->item(row);
        const bool marked = next != d.lines.end() && next->line == row;
        setMark(item, marked ? &next->toolTip : nullptr);
        if (marked)
            ++next;
        const bool unknownDevice = row < kParamCount && !m.ChipParamsRead;
        if (item->data(kDeviceUnknownRole).toBool() != unknownDevice)
            item->setData(kDeviceUnknownRole, unknownDevice);
    }
}

}  // namespace tq
