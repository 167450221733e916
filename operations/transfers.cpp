#include "operations/transfers.h"

#include "params/crc.h"

namespace tq {

void writeWorkingCopy(const LinkContext& ctx, const std::function<void(const std::string&)>& showFileCrc)
{
    sendByte(ctx.port, cmd::WriteParams);
    const std::string caption = Crcgen(ctx.m.FileParams);
    if (showFileCrc)
        showFileCrc(caption);

    TerminalText& text1 = ctx.host.terminal();
    text1.clear();
    std::string record;
    std::string lines;
    for (int i = 0; i < kDeviceRecordSize; ++i) {
        const std::uint8_t value = ctx.m.FileParams[i];
        record += static_cast<char>(value);
        lines += std::to_string(i + 1) + " [" + std::to_string(value) + "]" + kCrLf;
    }
    text1.append(lines);
    ctx.port.write(record);
    ctx.port.write(menuTextBlock(ctx.m.FileMenuTexts));
}

CommitCheck compareForCommit(const LinkContext& ctx)
{
    const Module1& m = ctx.m;
    if (m.FileParams != m.ChipParams)
        return CommitCheck::ParamsDiffer;

    // Every slot is shown and compared, also after a difference; the last pair stays on screen.
    bool textsEqual = true;
    for (int i = 0; i < kMenuTextSlots; ++i) {
        ctx.host.terminal().set(m.FileMenuTexts[i] + m.ChipMenuTexts[i] + kCrLf);
        if (m.FileMenuTexts[i] != m.ChipMenuTexts[i])
            textsEqual = false;
    }
    return textsEqual ? CommitCheck::Agree : CommitCheck::TextsDiffer;
}

CommitCheck commitToEeprom(const LinkContext& ctx)
{
    const CommitCheck check = compareForCommit(ctx);
    if (check != CommitCheck::Agree)
        return check;
    sendByte(ctx.port, cmd::SaveEeprom);
    ctx.port.write(cmd::SaveEepromKey);
    ctx.host.terminal().set(kSavedInEepromText);
    return check;
}

const char* commitRefusalText(CommitCheck check)
{
    switch (check) {
    case CommitCheck::ParamsDiffer: return kParamsDifferText;
    case CommitCheck::TextsDiffer: return kTextsDifferText;
    case CommitCheck::Agree: break;
    }
    return nullptr;
}

}  // namespace tq
