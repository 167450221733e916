#pragma once
// The user manual in a window of the tool: the Markdown pages of the manual and their pictures,
// read from disk. Links between the pages and to their headings are followed inside the window;
// nothing goes to a browser or to the network. A heading is reached by the name a Markdown
// renderer gives it: its words in lower case joined by "-" ("Problemi e soluzioni" is
// "#problemi-e-soluzioni"). A picture wider than the page is shown scaled down to fit.

#include <QString>
#include <QWidget>

class QKeyEvent;
class QPushButton;
class QTextBrowser;

namespace tq::ui {

// The first page of the manual.
inline constexpr const char* kManualIndexPage = "indice.md";

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    // `folder` holds the pages and their pictures.
    explicit HelpWindow(const QString& folder, QWidget* parent = nullptr);

    // Shows `page`, a page of the folder with an optional "#heading", and brings the window up.
    // A page that is not there shows where it was looked for.
    void showPage(const QString& page);

    QTextBrowser* Browser = nullptr;
    QPushButton* IndexButton = nullptr;    // "Indice"
    QPushButton* BackButton = nullptr;     // "Indietro"
    QPushButton* ForwardButton = nullptr;  // "Avanti"

protected:
    // Escape closes the window, as it closes the tool's other windows.
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString m_folder;
};

// The anchor a heading gets: lower case, letters, digits, "-" and "_" kept, blanks made "-",
// everything else dropped.
QString headingAnchor(const QString& heading);

// Where the manual is: $TQ310_MANUAL when set, otherwise the folder it is installed in, beside
// the program (the build tree puts a copy in the same place).
QString manualFolder();

}  // namespace tq::ui
