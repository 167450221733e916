#include "ui/message_box.h"

#include <QMessageBox>


namespace tq::ui {

namespace {

MessageCapture* g_capture = nullptr;

QMessageBox::Icon qtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Critical: return QMessageBox::Critical;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QString latin1(std::string_view s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

void MsgBox(QWidget* parent, const QString& text, MessageIcon icon, std::string_view title)
{
    if (g_capture) {
        g_capture->messages.push_back({text.toLatin1().toStdString(), icon, std::string(title), text});
        return;
    }
    // A child of its window, and so above it: a box created while that window is disabled (a
    // secondary window or the chooser is open) is usable all the same.
    QMessageBox box(qtIcon(icon), latin1(title), text, QMessageBox::Ok, parent);
    box.exec();
}

void MsgBox(QWidget* parent, std::string_view text, MessageIcon icon, std::string_view title)
{
    MsgBox(parent, latin1(text), icon, title);
}

void MsgBox(QWidget* parent, const char* text, MessageIcon icon, std::string_view title)
{
    MsgBox(parent, std::string_view(text), icon, title);
}

MessageCapture::MessageCapture()
{
    g_capture = this;
}

MessageCapture::~MessageCapture()
{
    if (g_capture == this)
        g_capture = nullptr;
}

}  // namespace tq::ui
