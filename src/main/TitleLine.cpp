#include "TitleLine.h"

#include <QKeyEvent>
#include <QMimeData>

#include "ReturnKey.h"

#include <algorithm>

TitleLine::TitleLine(QWidget* parent)
    : ClipTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // One 13-pixel line has to fit into the 17 pixels of the row.
    document()->setDocumentMargin(1);
}

int TitleLine::length() const
{
    return document()->characterCount() - 1;
}

void TitleLine::keyPressEvent(QKeyEvent* event)
{
    if (isReturnKey(event)) {
        event->accept();
        return;
    }
    const QString typed = event->text();
    const bool typesCharacter = !typed.isEmpty() && typed.front().isPrint();
    if (typesCharacter && length() >= kTypingLimit && !textCursor().hasSelection()) {
        event->accept();
        return;
    }
    ClipTextEdit::keyPressEvent(event);
}

void TitleLine::insertFromMimeData(const QMimeData* source)
{
    if (!source->hasText())
        return;
    const QTextCursor cursor = textCursor();
    const int kept = length() - (cursor.selectionEnd() - cursor.selectionStart());
    const int room = std::max(0, kTypingLimit - kept);
    insertClipPlainText(source->text().left(room));
}
