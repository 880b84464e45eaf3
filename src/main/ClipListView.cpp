#include "ClipListView.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

ClipListView::ClipListView(QWidget* parent)
    : QListView(parent)
{
}

int ClipListView::selectedRow() const
{
    const QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows(modelColumn()) : QModelIndexList();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void ClipListView::reset()
{
    QListView::reset();
    m_lastReported = -1;
}

QItemSelectionModel::SelectionFlags ClipListView::selectionCommand(const QModelIndex& index, const QEvent* event) const
{
    // Qt would let Ctrl+click or Space take the selection away again; a list box keeps it.
    if (!index.isValid() || !(index.flags() & Qt::ItemIsSelectable))
        return QItemSelectionModel::NoUpdate;
    if (event && event->type() == QEvent::MouseButtonRelease)
        return QItemSelectionModel::NoUpdate;
    if (event && event->type() == QEvent::KeyPress && static_cast<const QKeyEvent*>(event)->key() == Qt::Key_Space)
        return QItemSelectionModel::NoUpdate;
    return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
}

void ClipListView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QListView::selectionChanged(selected, deselected);
    // Refills are silent (the selection model resets without signals), so every change here
    // is the user's.
    const int row = selectedRow();
    if (row < 0 || row == m_lastReported)
        return;
    m_lastReported = row;
    emit selectedEntryChanged();
}

void ClipListView::focusInEvent(QFocusEvent* event)
{
    QListView::focusInEvent(event);
    emit focusEntered();
}

void ClipListView::keyPressEvent(QKeyEvent* event)
{
    const int rows = model() ? model()->rowCount(rootIndex()) : 0;
    if (selectedRow() < 0 && rows > 0) {
        // With nothing selected the caret stands on the first entry, which Down, Up, Home and
        // Page Up select; Qt would move on from it, or start End from nowhere.
        const QModelIndex first = model()->index(0, modelColumn(), rootIndex());
        switch (event->key()) {
        case Qt::Key_Down:
        case Qt::Key_Up:
        case Qt::Key_Home:
        case Qt::Key_PageUp:
            setCurrentIndex(first);
            event->accept();
            return;
        case Qt::Key_End:
        case Qt::Key_PageDown:
            selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
            break;
        default:
            // A typed letter then finds the first entry it starts, the first one included.
            if (!event->text().isEmpty())
                selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
            break;
        }
    }
    QListView::keyPressEvent(event);
}

void ClipListView::mousePressEvent(QMouseEvent* event)
{
    // Only the left button picks an entry.
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QListView::mousePressEvent(event);
}
