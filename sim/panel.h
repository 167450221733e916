#pragma once
// The controller's panel and display, as the remote keyboard drives them: "M" and "N" step
// through the twelve menu items, "2" and "1" raise and lower the item's value, "E" confirms it,
// "$" switches the display light. Each key answers what the display then shows, as two lines of
// plain text; "C" answers what the USB module reports after reading the key again.

#include <array>
#include <string>

#include "sim/param_image.h"

namespace tq::sim {

class Panel {
public:
    // The display after the key, or the empty text for a byte that is not a panel key.
    std::string press(char key, const ParamImage& working);
    // The USB module's report after a new reading of the key.
    static std::string rereadUsb();
    // After a (re)start: first menu item, values kept, light on.
    void restart();

    int item() const { return m_item; }

private:
    std::string display(const ParamImage& working, const std::string& status) const;

    int m_item = 0;
    std::array<int, 12> m_values{};
    bool m_light = true;
};

}  // namespace tq::sim
