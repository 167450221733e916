#include "ui/choice_list.h"

#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QScopedValueRollback>

namespace tq::ui {

ChoiceList::ChoiceList(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &ChoiceList::onSelectionChanged);
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { emit lineActivated(row(item)); });
}

int ChoiceList::chosenRow() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void ChoiceList::onSelectionChanged(const QItemSelection& selected)
{
    const QModelIndexList indexes = selected.indexes();
    if (indexes.isEmpty())
        return;
    const int row = indexes.first().row();
    if (m_input) {
        emit lineChosen(row);
        return;
    }
    // A screen reader's Toggle selects a line without making it current: the current line
    // follows, so that the keys go on from the line chosen.
    if (currentIndex() != indexes.first())
        selectionModel()->setCurrentIndex(indexes.first(), QItemSelectionModel::NoUpdate);
    emit lineChosen(row);
    emit lineActivated(row);
}

void ChoiceList::keyPressEvent(QKeyEvent* event)
{
    const QScopedValueRollback input(m_input, true);
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || !currentIndex().isValid()) {
        QListWidget::keyPressEvent(event);
        return;
    }
    const int row = currentRow();
    if (chosenRow() != row)
        setCurrentRow(row);
    emit lineActivated(row);
    event->accept();
}

void ChoiceList::mousePressEvent(QMouseEvent* event)
{
    const QScopedValueRollback input(m_input, true);
    QListWidget::mousePressEvent(event);
}

void ChoiceList::mouseMoveEvent(QMouseEvent* event)
{
    const QScopedValueRollback input(m_input, true);
    QListWidget::mouseMoveEvent(event);
}

void ChoiceList::mouseReleaseEvent(QMouseEvent* event)
{
    const QScopedValueRollback input(m_input, true);
    QListWidget::mouseReleaseEvent(event);
}

void ChoiceList::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QScopedValueRollback input(m_input, true);
    QListWidget::mouseDoubleClickEvent(event);
}

}  // namespace tq::ui
