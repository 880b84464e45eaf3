#pragma once

#include <QListView>

// The clip list's view. It behaves as a single-selection list box: a pick cannot be undone by
// Ctrl+click, only the left button selects, and with nothing selected the first Down, Up or
// Home selects the first entry. It reports when it receives the focus, and reports a change
// after a user's click or key only when the selected entry differs from the one it reported
// last; refilling the model forgets that entry.
class ClipListView : public QListView
{
    Q_OBJECT

public:
    explicit ClipListView(QWidget* parent = nullptr);

    // The selected row, or -1.
    int selectedRow() const;

    void reset() override;

signals:
    void focusEntered();
    void selectedEntryChanged();

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int m_lastReported = -1;
};
