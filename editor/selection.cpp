#include "editor/selection.h"

#include <algorithm>

#include "params/list_view.h"

namespace tq {

namespace {

constexpr const char* kLegendSide = "0 = sinistra 1 = destra";
constexpr const char* kLegendStriper = "0 = meccanico 1 = pneumatico";
constexpr const char* kLegendFrame = "0 = Normale 1 = Intarsio \r\n2 = normale con calati alternati";

// A stored number the choice list does not hold opens with no choice selected.
int listedChoice(int number, EditLayout layout, std::uint16_t channelCount)
{
    return number < choiceCount(layout, channelCount) ? number : -1;
}

LineSelection selector(const Module1& m, int index, EditLayout layout, const char* legend)
{
    LineSelection s;
    s.action = SelectionAction::Edit;
    s.layout = layout;
    s.legend = legend;
    s.choice = listedChoice(m.FileParams[index] & 31, layout, m.ChannelCount);
    return s;
}

LineSelection boards(const Module1& m)
{
    const std::uint8_t v = m.FileParams[kBoardsIndex];
    LineSelection s;
    s.action = SelectionAction::Edit;
    s.layout = EditLayout::Boards;
    s.choice = listedChoice(v & 7, s.layout, m.ChannelCount);
    // The whole byte is compared, not bit 4: the editor writes only 0..3 and 16..19.
    s.protection = v > 8;
    return s;
}

LineSelection output(const Module1& m, int index)
{
    const OutputAssignment a = decodeOutput(m.FileParams[index]);
    LineSelection s;
    s.action = SelectionAction::Edit;
    s.layout = EditLayout::Output;
    s.choice = listedChoice(a.output, s.layout, m.ChannelCount);
    s.showOptions = true;
    s.timing = a.timing;
    return s;
}

LineSelection menuText(const Module1& m, int index)
{
    LineSelection s;
    s.action = SelectionAction::Edit;
    s.layout = EditLayout::MenuText;
    s.text = m.FileMenuTexts[index - kFirstMenuTextLine];
    return s;
}

}  // namespace

int choiceCount(EditLayout layout, std::uint16_t channelCount)
{
    switch (layout) {
    case EditLayout::Output: return std::min<int>(channelCount, kHighestOutput) + 1;
    case EditLayout::TwoWay: return 2;
    case EditLayout::Boards: return 4;
    case EditLayout::ThreeWay: return 3;
    case EditLayout::MenuText: break;
    }
    return 0;
}

LineSelection selectLine(const Module1& m, int index)
{
    if (index == 0)
        return selector(m, 0, EditLayout::TwoWay, kLegendSide);
    if (index == 1)
        return selector(m, 1, EditLayout::TwoWay, kLegendStriper);
    if (index == 2)
        return selector(m, 2, EditLayout::ThreeWay, kLegendFrame);
    if (index == kBoardsIndex)
        return boards(m);
    if (index == kHeaderLine) {
        LineSelection s;
        s.action = SelectionAction::Hide;
        return s;
    }
    if (index >= 4 && index < kParamCount)
        return output(m, index);
    if (index >= kFirstMenuTextLine && index < kListLines)
        return menuText(m, index);
    return {};
}

}  // namespace tq
