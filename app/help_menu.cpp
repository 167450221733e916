#include "app/help_menu.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>

#include "app/about_box.h"
#include "ui/help_window.h"

namespace tq {

namespace {

constexpr const char* kMenuCaption = "?";
constexpr const char* kManualCaption = "Manuale d'uso";
constexpr const char* kAboutCaption = "Informazioni su Test per TQ310";

// The section of the manual about each window, by the window's object name.
constexpr struct {
    const char* window;
    const char* page;
} kSections[] = {
    {"Form1", "indice.md"},
    {"cerca", "connessione.md#la-scelta-della-porta"},
    {"prog1", "connessione.md#il-programmatore"},
    {"Dialog", "parametri.md#la-finestra-di-modifica"},
    {"TrovaUsb", "file.md#la-chiave-usb"},
    {"InpOut", "diagnostica.md#simulazione-della-produzione"},
    {"Form2", "diagnostica.md#prova-delle-uscite"},
    {"LineTraceWindow", "registro.md"},
};

}  // namespace

QString manualSection(const QString& windowName)
{
    for (const auto& s : kSections)
        if (windowName == QLatin1String(s.window))
            return QString::fromLatin1(s.page);
    return {};
}

HelpMenu::HelpMenu(QMainWindow* window) : QObject(window), m_window(window)
{
    m_menu = window->menuBar()->addMenu(QString::fromLatin1(kMenuCaption));
    m_menu->setObjectName(QStringLiteral("aiuto"));
    m_menu->menuAction()->setObjectName(QStringLiteral("aiutoAction"));
    m_manual = m_menu->addAction(QString::fromLatin1(kManualCaption));
    m_manual->setObjectName(QStringLiteral("manuale"));
    m_manual->setShortcut(QKeySequence(Qt::Key_F1));
    m_about = m_menu->addAction(QString::fromLatin1(kAboutCaption));
    m_about->setObjectName(QStringLiteral("informazioni"));

    connect(m_manual, &QAction::triggered, this, [this] { showManual(manualSection(m_window->objectName())); });
    connect(m_about, &QAction::triggered, this, [this] {
        if (!m_aboutBox)
            m_aboutBox = new AboutBox(m_window);
        m_aboutBox->show();
        m_aboutBox->raise();
        m_aboutBox->activateWindow();
    });
    qApp->installEventFilter(this);
}

HelpMenu::~HelpMenu() = default;

void HelpMenu::showManual(const QString& page)
{
    if (!m_help)
        m_help = std::make_unique<ui::HelpWindow>(ui::manualFolder());
    m_help->showPage(page.isEmpty() ? QString::fromLatin1(ui::kManualIndexPage) : page);
}

bool HelpMenu::eventFilter(QObject* watched, QEvent* event)
{
    // The main window's F1 is the shortcut of "Manuale d'uso"; a window of its own (the chooser,
    // a secondary window, the edit dialog) gets the section about it.
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1
        || static_cast<QKeyEvent*>(event)->modifiers() != Qt::NoModifier || !watched->isWidgetType())
        return false;
    const QWidget* window = static_cast<QWidget*>(watched)->window();
    if (window == m_window)
        return false;
    const QString section = manualSection(window->objectName());
    if (section.isEmpty())
        return false;
    showManual(section);
    return true;
}

}  // namespace tq
