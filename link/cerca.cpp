#include "link/cerca.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/message_box.h"

namespace tq {

namespace {

constexpr const char* kCaption = "CONNESSIONE      (porte disponibili)";
constexpr const char* kWithoutConnection = "Lavore senza nessuna connessione";

}  // namespace

cerca::cerca(const std::function<PortDiscovery()>& discover, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("cerca"));
    setWindowTitle(QString::fromLatin1(kCaption));

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    Command2 = new QPushButton(QString::fromLatin1(kWithoutConnection), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(List1, 1);
    layout->addWidget(Command2);
    resize(420, 300);

    PortDiscovery found = discover ? discover() : GetSerialPortNames();
    m_discoveryError = found.error;
    if (m_discoveryError.isEmpty())
        m_entries = std::move(found.entries);
    for (const PortEntry& e : m_entries) {
        // The first line is the entry's name, the one the digit rule reads; the second shows
        // the device path and the adapter, whose digits do not count.
        QString text = QString::fromLatin1(e.name);
        if (!e.detail.isEmpty())
            text += QLatin1Char('\n') + e.detail;
        auto* item = new QListWidgetItem(text, List1);
        item->setData(Qt::UserRole, QByteArray::fromStdString(e.name));
        item->setToolTip(e.detail);
    }

    connect(List1, &QListWidget::itemClicked, this, &cerca::List1_Click);
    connect(Command2, &QPushButton::clicked, this, &cerca::Command2_Click);
}

void cerca::reportDiscoveryError()
{
    if (m_discoveryError.isEmpty())
        return;
    const std::string text = "Ricerca delle porte seriali non riuscita: " + m_discoveryError.toLatin1().toStdString()
        + "\r\nSi pu\xF2 lavorare senza nessuna connessione.";
    ui::MsgBox(this, text, ui::MessageIcon::Warning, ui::kErrorTitle);
}

void cerca::List1_Click(QListWidgetItem* item)
{
    if (!item)
        return;
    const PortPick pick = pickPort(item->data(Qt::UserRole).toByteArray().toStdString());
    if (!pick.refusal.empty()) {
        ui::MsgBox(this, pick.refusal, ui::MessageIcon::Critical, ui::kErrorTitle);
        return;
    }
    hide();
    emit portChosen(pick.number);
}

void cerca::Command2_Click()
{
    emit withoutConnection();
}

void cerca::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit unloaded();
}

}  // namespace tq
