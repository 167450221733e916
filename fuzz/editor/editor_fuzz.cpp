// The editor on arbitrary working copies: decoding any line of the list into the edit dialog,
// and storing whatever the dialog can hand back for it.
// - a line that holds no value opens nothing, the menu header hides the dialog, every other line
//   opens the controls of its kind with a choice that its list holds, or none;
// - OK without a change reopens the line as it was (a choice the list did not hold comes back as
//   number 0, a menu text cut or padded to 10 characters);
// - every choice the dialog offers, once stored and the list rebuilt, reopens as chosen where the
//   parameter's byte can hold it: an output above 31 runs into the bits above it, and the chosen
//   timing is OR-ed in all the same;
// - nothing but the edited value changes.
// Between edits the working copy's output count is refreshed from parameter 4, as the list
// refresh after every OK does.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "editor/confirmation.h"
#include "editor/selection.h"
#include "params/list_view.h"
#include "params/param_record.h"
#include "target.h"

namespace {

using tq::EditLayout;
using tq::LineSelection;
using tq::Module1;
using tq::OutputTiming;
using tq::SelectionAction;

// The controls a line of the list is edited with.
std::optional<EditLayout> layoutOfLine(int index)
{
    if (index == 0 || index == 1)
        return EditLayout::TwoWay;
    if (index == 2)
        return EditLayout::ThreeWay;
    if (index == tq::kBoardsIndex)
        return EditLayout::Boards;
    if (index >= 4 && index < tq::kParamCount)
        return EditLayout::Output;
    if (index >= tq::kFirstMenuTextLine && index < tq::kListLines)
        return EditLayout::MenuText;
    return std::nullopt;
}

// What the dialog hands to OK when it was opened on `s` and nothing was touched. Its text field
// holds at most 10 characters.
tq::DialogValues untouched(const LineSelection& s)
{
    tq::DialogValues v;
    v.choice = s.choice;
    v.protectionShown = s.layout == EditLayout::Boards;
    v.protection = s.protection;
    v.phaseZero = s.timing == OutputTiming::PhaseZero;
    v.pulse = s.timing == OutputTiming::Pulse;
    v.text = s.text.substr(0, tq::kMenuTextLength);
    return v;
}

// A text the user can type: at most 10 printable Latin-1 characters.
std::string typedText(tq::fuzz::ByteProgram& p)
{
    std::string text = p.bytes(p.below(tq::kMenuTextLength + 1));
    for (char& c : text) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b < 0x20 || (b >= 0x7F && b < 0xA0))
            c = static_cast<char>(0x20 + b % 0x5F);
    }
    return text;
}

// Everything but parameter `index` (or menu text `index` - kFirstMenuTextLine) is as before.
bool onlyLineChanged(const Module1& a, const Module1& b, int index)
{
    for (int i = 0; i < tq::kParamCount; ++i)
        if (i != index && a.FileParams[i] != b.FileParams[i])
            return false;
    for (int k = 0; k < tq::kMenuTextSlots; ++k)
        if (k != index - tq::kFirstMenuTextLine && a.FileMenuTexts[k] != b.FileMenuTexts[k])
            return false;
    return a.ChipParams == b.ChipParams && a.ChipMenuTexts == b.ChipMenuTexts;
}

// The part of the list refresh that the editor reads: the outputs parameter 4 offers.
void refresh(Module1& m)
{
    m.ChannelCount = tq::channelCountFor(m.FileParams[tq::kBoardsIndex]);
}

std::string fitted(const std::string& text)
{
    return (text + std::string(tq::kMenuTextLength, ' ')).substr(0, tq::kMenuTextLength);
}

// The timing an output's options choose; none for the other lines.
std::optional<OutputTiming> timingOf(EditLayout layout, const tq::DialogValues& v)
{
    if (layout != EditLayout::Output)
        return std::nullopt;
    return v.pulse ? OutputTiming::Pulse : v.phaseZero ? OutputTiming::PhaseZero : OutputTiming::Count;
}

// OK with `v` on line `index`, and the list refreshed: the working copy keeps it, nothing else
// changes, and the line reopens with it.
void checkStored(Module1& m, int index, EditLayout layout, const tq::DialogValues& v)
{
    const Module1 before = m;
    FUZZ_CHECK(tq::storeEdit(m, index, v));
    refresh(m);
    const LineSelection s = tq::selectLine(m, index);
    FUZZ_CHECK(s.action == SelectionAction::Edit && onlyLineChanged(before, m, index));
    if (layout == EditLayout::MenuText) {
        FUZZ_CHECK(s.text == fitted(v.text) && m.FileMenuTexts[index - tq::kFirstMenuTextLine] == fitted(v.text));
        return;
    }
    const int number = std::max(v.choice, 0);
    const std::optional<OutputTiming> timing = timingOf(layout, v);
    if (number > 31) {
        const unsigned bit = timing == OutputTiming::PhaseZero ? 64 : timing == OutputTiming::Pulse ? 128 : 0;
        FUZZ_CHECK(m.FileParams[index] == (unsigned(number) | bit));
        return;
    }
    FUZZ_CHECK(s.choice == number && s.timing == timing && s.protection == v.protection);
    FUZZ_CHECK(layout != EditLayout::Boards || m.ChannelCount == 8 * number);
}

// One edit as the user makes it.
tq::DialogValues chosen(const Module1& m, EditLayout layout, tq::fuzz::ByteProgram& p)
{
    tq::DialogValues v;
    v.protectionShown = layout == EditLayout::Boards;
    if (layout == EditLayout::MenuText) {
        v.text = typedText(p);
        return v;
    }
    const int count = tq::choiceCount(layout, m.ChannelCount);
    v.choice = static_cast<int>(p.word() % (count + 1)) - 1;
    v.protection = v.protectionShown && (p.byte() & 1);
    if (layout == EditLayout::Output) {
        const auto timing = static_cast<OutputTiming>(p.below(3));
        v.phaseZero = timing == OutputTiming::PhaseZero;
        v.pulse = timing == OutputTiming::Pulse;
    }
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tq::fuzz::ByteProgram p(data, size);
    Module1 m;
    for (int i = 0; i < tq::kParamCount; ++i)
        m.FileParams[i] = p.byte();
    for (int k = 0; k < tq::kListLines - tq::kFirstMenuTextLine; ++k)
        m.FileMenuTexts[k] = p.bytes(p.below(16));
    m.ChipParams.fill(0xA5);

    while (!p.done()) {
        refresh(m);
        const int index = static_cast<std::int8_t>(p.byte());
        const LineSelection opened = tq::selectLine(m, index);
        const std::optional<EditLayout> layout = layoutOfLine(index);
        if (!layout) {
            FUZZ_CHECK(opened.action == (index == tq::kHeaderLine ? SelectionAction::Hide : SelectionAction::None));
            const Module1 before = m;
            FUZZ_CHECK(!tq::storeEdit(m, index, untouched(opened)));
            FUZZ_CHECK(onlyLineChanged(before, m, -1) && m.FileParams == before.FileParams);
            continue;
        }
        FUZZ_CHECK(opened.action == SelectionAction::Edit && opened.layout == *layout);
        if (*layout == EditLayout::MenuText) {
            FUZZ_CHECK(opened.text == m.FileMenuTexts[index - tq::kFirstMenuTextLine]);
        } else {
            const int count = tq::choiceCount(*layout, m.ChannelCount);
            // The list never offers a number that the parameter's byte cannot hold.
            FUZZ_CHECK(count >= 1 && count <= 256);
            FUZZ_CHECK(opened.choice >= -1 && opened.choice < count);
            FUZZ_CHECK(opened.showOptions == (*layout == EditLayout::Output));
            FUZZ_CHECK(opened.timing.has_value() == (*layout == EditLayout::Output));
        }
        Module1 untouchedOk = m;
        checkStored(untouchedOk, index, *layout, untouched(opened));
        checkStored(m, index, *layout, chosen(m, *layout, p));
    }
    return 0;
}
