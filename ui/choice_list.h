#pragma once
// A list whose chosen line is its selected line, for lists where choosing a line does something
// (the main list opens the edit dialog, the port chooser connects).
//
// The keyboard focus is not a choice: a list that gains the focus with no current line makes its
// first line current without selecting it. A line is chosen when it becomes selected: by a click,
// by the arrow, Home, End and page keys, by Space, by a screen reader's Toggle on the line, or by
// code (setCurrentRow).
//
// A line is activated, the gesture of acting on it, by a click on it (the first of a double
// click), by Enter on the current
// line (which chooses it too), and by a selection that neither the keys nor the mouse made on
// the list: a screen reader's Toggle, which stands for the click a mouse user gives, or code,
// which selects a line as if it had been clicked.

#include <QListWidget>

class QItemSelection;

namespace tq::ui {

class ChoiceList : public QListWidget {
    Q_OBJECT
public:
    explicit ChoiceList(QWidget* parent = nullptr);

    // The selected line, -1 when none is (after a rebuild, or while only the focus is there).
    int chosenRow() const;

signals:
    void lineChosen(int row);
    void lineActivated(int row);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void onSelectionChanged(const QItemSelection& selected);

    bool m_input = false;  // the keys or the mouse are acting on the list
};

}  // namespace tq::ui
