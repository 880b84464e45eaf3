#pragma once

#include <QString>

class QWidget;

// The modal boxes of Create and Delete, centred on the screen rather than on their owner.
namespace ClipListBoxes {

// The notice box: the application title as caption, no icon, one OK button that Enter, Esc and
// the close button all press. Returns when it is closed.
void showNotice(QWidget* owner, const QString& text);

// The delete confirmation for the body file at shownPath: caption "Confirm", a question mark,
// "&Yes" (the default) and "&No" (Esc and the close button). True only for "&Yes".
bool confirmDelete(QWidget* owner, const QString& shownPath);

} // namespace ClipListBoxes
