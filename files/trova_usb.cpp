#include "files/trova_usb.h"

#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "files/save_bytes.h"
#include "files/usb_file.h"
#include "ui/fonts.h"

namespace tq {

TrovaUsb::TrovaUsb(Module1& module, std::function<void(const std::string&)> showFileCrc)
    : m_module(module), m_showFileCrc(std::move(showFileCrc))
{
    setObjectName(QStringLiteral("TrovaUsb"));
    setWindowTitle(QStringLiteral("Compilatore per file parametri CONTQ310.BIN "));

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setAccessibleName(QStringLiteral("Istruzioni e resoconto"));
    Text1->setFont(ui::fixedFont(10));
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setMinimumSize(Text1->fontMetrics().horizontalAdvance(QString(90, QLatin1Char('M'))),
                          Text1->fontMetrics().lineSpacing() * 16);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Command2 = new QPushButton(QStringLiteral("Uscita"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command1 = new QPushButton(QStringLiteral("Procedi"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(300);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Label1, 1);
    bottom->addWidget(Command2);
    bottom->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Text1, 1);
    layout->addLayout(bottom);

    connect(Timer1, &QTimer::timeout, this, &TrovaUsb::Timer1_Timer);
    connect(Command1, &QPushButton::clicked, this, &TrovaUsb::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &QWidget::close);
}

void TrovaUsb::Form_Load()
{
    setText(QString::fromLatin1(usbInstructions()));
    Label1->clear();
    // Nothing to write to until a key is found; the first tick would disable it anyway.
    Command1->setEnabled(false);
    Timer1->start();
}

void TrovaUsb::Timer1_Timer()
{
    const QString root = m_detector.tick(m_drives());
    if (root.isEmpty()) {
        Label1->clear();
        Command1->setEnabled(false);
        return;
    }
    Label1->setText(usbTargetPath(root));
    Timer1->stop();
    Command1->setEnabled(true);
}

void TrovaUsb::Command1_Click()
{
    const QString path = Label1->text();
    const UsbFile file = compileUsbFile(m_module, path);
    m_showFileCrc(file.crcCaption);
    setText(file.log);
    // The window stays as it is, so the user can fix the key and press "Procedi" again.
    if (saveBytes(path, file.content) != SaveStatus::Saved)
        setText(file.log + QLatin1String(kUsbWriteError));
}

void TrovaUsb::hideEvent(QHideEvent* event)
{
    // Closed: no more detection until the next opening. Minimising is not closing.
    if (!event->spontaneous())
        Timer1->stop();
    QWidget::hideEvent(event);
}

void TrovaUsb::setText(const QString& crlfText)
{
    QString lines = crlfText;
    Text1->setPlainText(lines.replace(QLatin1String("\r\n"), QLatin1String("\n")));
}

}  // namespace tq
