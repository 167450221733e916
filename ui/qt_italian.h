#pragma once
// Qt's own parts in Italian, as the rest of the tool: the file dialog ("Cerca in:", "Apri",
// "Annulla"), the buttons of message boxes, the context menus of text fields. Qt's translation
// (qtbase_it.qm, or qt_it.qm as Qt's deployment tool gathers it) comes from a folder
// "translations" beside the program (the Windows build ships it there) or from Qt's own
// translations folder (Debian's qt6-translations-l10n). The tool's own
// texts are not translated: they are Italian already, and stay exactly as they are.

namespace tq::ui {

// Installs the translation into the running application; false when none was found, and Qt's
// parts then speak English.
bool installQtItalian();

}  // namespace tq::ui
