#include "editor/confirmation.h"

#include "params/list_view.h"

namespace tq {

std::uint8_t encodeParameter(const DialogValues& values)
{
    unsigned value = values.choice < 0 ? 0u : static_cast<unsigned>(values.choice);
    if (values.protectionShown) {
        if (values.protection)
            value |= kOutputProtection;
    } else {
        if (values.phaseZero)
            value |= 64;
        if (values.pulse)
            value |= 128;
    }
    return static_cast<std::uint8_t>(value);
}

bool storeEdit(Module1& m, int index, const DialogValues& values)
{
    if (index >= 0 && index < kParamCount) {
        m.FileParams[index] = encodeParameter(values);
        return true;
    }
    if (index >= kFirstMenuTextLine && index < kListLines) {
        m.FileMenuTexts[index - kFirstMenuTextLine] = fitMenuText(values.text);
        return true;
    }
    return false;
}

}  // namespace tq
