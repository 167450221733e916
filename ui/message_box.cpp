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

void MsgBox(QWidget* parent, std::string_view text, MessageIcon icon, std::string_view title)
{
    if (g_capture) {
        g_capture->messages.push_back({std::string(text), icon, std::string(title)});
        return;
    }
    QMessageBox box(qtIcon(icon), latin1(title), latin1(text), QMessageBox::Ok, parent);
    box.exec();
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
