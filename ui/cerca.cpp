#include "ui/cerca.h"

#include <QCloseEvent>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/choice_list.h"
#include "ui/message_box.h"

namespace tq {

namespace {

constexpr const char* kCaption = "CONNESSIONE      (porte disponibili)";
constexpr const char* kWithoutConnection = "Lavore senza nessuna connessione";
constexpr const char* kListName = "Porte disponibili";

}  // namespace

cerca::cerca(const std::function<PortDiscovery()>& discover, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("cerca"));
    setWindowTitle(QString::fromLatin1(kCaption));

    List1 = new ui::ChoiceList(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setAccessibleName(QString::fromLatin1(kListName));
    Command2 = new QPushButton(QString::fromLatin1(kWithoutConnection), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    // Enter presses it when it has the focus, as Space does.
    Command2->setAutoDefault(true);
    setFocusProxy(List1);
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

    // A chooser out of sight chooses nothing (the rest of a double click that connected).
    connect(List1, &ui::ChoiceList::lineActivated, this, [this](int row) {
        if (isVisible())
            List1_Click(List1->item(row));
    });
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

void cerca::showEvent(QShowEvent* event)
{
    // Every opening offers the entries afresh: none selected, the highlight of the focus on the
    // first entry, or on the one chosen last time, for the keys to start from. A screen reader's
    // Toggle then chooses any entry, as a click does.
    List1->clearSelection();
    if (!List1->currentIndex().isValid() && List1->count() > 0)
        List1->selectionModel()->setCurrentIndex(List1->model()->index(0, 0), QItemSelectionModel::NoUpdate);
    QWidget::showEvent(event);
}

void cerca::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit unloaded();
}

}  // namespace tq
