// The tool's own texts, word for word and blank for blank, in every window that shows them, with
// Qt's own parts in Italian beside them as the program starts them.
#include <QAction>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include "app/Form1.h"
#include "app/prog1.h"
#include "operations/form2.h"
#include "operations/inp_out.h"
#include "support/control.h"
#include "ui/cerca.h"
#include "ui/qt_italian.h"

class SystemTextsTest : public QObject {
    Q_OBJECT
private slots:
    void windowsShowTheirTextsExactly()
    {
        QVERIFY(tq::ui::installQtItalian());
        tq::Form1 form;
        tq::cerca chooser([] { return tq::PortDiscovery{}; });
        tq::prog1 programmer;
        tq::Module1 m;
        tq::InpOut simulation(m, {}, {});
        tq::Form2 outputs(m, {}, {});
        form.setPortBackends([] { return tq::PortDiscovery{}; }, {});
        form.Form_Load();
        form.IniPorta();  // no port chosen: the unconnected state
        QFileDialog files;
        files.setOption(QFileDialog::DontUseNativeDialog);
        const QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        QLineEdit edit;
        const std::unique_ptr<QMenu> editMenu(edit.createStandardContextMenu());

        const struct { QString shown, quoted; } texts[] = {
            {form.windowTitle(), "Test per TQ310  Vers. 12.13B  By Kelvora"},
            {control<QGroupBox>(form, "Label2")->title(), "Replica della tastiera  del TQ310"},
            {control<QGroupBox>(form, "Label9")->title(), "Debug dispositivi"},
            {control<QGroupBox>(form, "Label10")->title(), "Debug memoria"},
            {control<QGroupBox>(form, "Label2")->toolTip(),
             "I comandi nel riquadro agiscono come la tatiera  del pannello TQ310"},
            {control<QGroupBox>(form, "Label10")->toolTip(),
             "I comandi nel riquadro permettono di navigare nella memoria  per trovare eventuali anomalie o guasti"},
            {control<QMenu>(form, "config")->title(), "File"},
            {control<QMenu>(form, "tq310")->title(), "TQ310"},
            {control<QMenu>(form, "accessori")->title(), "Accessori"},
            {control<QMenu>(form, "connessione")->title(), "Connessione"},
            {control<QAction>(form, "daltq310")->text(), "Carica parametri  dal TQ310"},
            {control<QAction>(form, "ChipBuffer")->text(), "Trasferisci parametri da  TQ310 al buffer"},
            {control<QAction>(form, "AlTq310")->text(), "Trafferisci parametri nel TQ310"},
            {control<QAction>(form, "Weeprom")->text(), "Salva parametri  nella EEPROM"},
            {control<QAction>(form, "VMenu")->text(), "Lista voci dei menu dal TQ31"},
            {control<QAction>(form, "LPFU")->text(), "Lettura parametri fase uscita comandi"},
            {control<QAction>(form, "ErrEEprom")->text(), "Forza errore nella EEPROM per debug"},
            {control<QAction>(form, "prog")->text(), "Programmatore TTL"},
            {control<QAction>(form, "ParUsb")->text(), "Parametri da chiave usb"},
            {control<QPushButton>(form, "Command13")->toolTip(), "Prmette il debug degli ingreaasi di comando"},
            {control<QPushButton>(form, "Command19")->toolTip(),
             "Forza una nuova lettura della chiave usb  come da tastiera remota"},
            {control<QLabel>(form, "Label8")->text(), " Nessuna connessione "},
            {chooser.windowTitle(), "CONNESSIONE      (porte disponibili)"},
            {chooser.Command2->text(), "Lavore senza nessuna connessione"},
            {programmer.windowTitle(), "Programmatore QX-232-TTL"},
            {programmer.Label1->text(), "Programmatore necessario per connessione interattiva con TQ310"},
            {simulation.windowTitle(), "Test per Input e Output"},
            {simulation.Label2->text(),
             " 31 30 29 28 27  26 25 24   23  22  21 20 19  18 17  16   15  14  13 12  11  10  9  8 "
             "      7   6   5    4    3   2   1   0         corse"},
            {simulation.Command1->text(), "CONTEGGIO"},
            {simulation.Command2->text(), "RESET"},
            {outputs.windowTitle(), "Test uscite"},
            {outputs.Command1->text(), "Tutti ON"},
            {outputs.Command2->text(), "Tutti OFF"},
            {outputs.Command3->text(), "Uscita"},
            {files.findChild<QLabel*>(QStringLiteral("lookInLabel"))->text(), "Cerca in:"},
            {buttons.button(QDialogButtonBox::Cancel)->text(), "Annulla"},
            {editMenu->actions().first()->text().section(QLatin1Char('\t'), 0, 0), "Ann&ulla"},  // Undo
        };
        for (const auto& t : texts)
            QCOMPARE(t.shown, t.quoted);
    }
};

QTEST_MAIN(SystemTextsTest)
#include "system_texts_test.moc"
