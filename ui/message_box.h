#pragma once
// Modal message boxes with a single OK button. Texts and titles are Latin-1 byte strings, as the
// tool keeps all its texts; a text that shows a path is a QString, so that the path keeps the
// characters the system names it with. Refusals and errors carry the title "ERRORE".
// A box belongs to the window of `parent`: it stays above it under any window manager.

#include <QString>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace tq::ui {

inline constexpr const char* kErrorTitle = "ERRORE";

enum class MessageIcon { None, Information, Warning, Critical };

struct ShownMessage {
    std::string text;  // as Latin-1 bytes: a character beyond Latin-1 reads '?'
    MessageIcon icon = MessageIcon::None;
    std::string title;
    QString shown;     // the text exactly as the box shows it
};

// Return when the user has closed the box.
void MsgBox(QWidget* parent, std::string_view text, MessageIcon icon, std::string_view title);
void MsgBox(QWidget* parent, const char* text, MessageIcon icon, std::string_view title);
void MsgBox(QWidget* parent, const QString& text, MessageIcon icon, std::string_view title);

// For tests on the offscreen platform: while one exists, message boxes are recorded here instead
// of being shown (a modal box would wait for a click that no test gives). Not nestable.
class MessageCapture {
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    std::vector<ShownMessage> messages;
};

}  // namespace tq::ui
