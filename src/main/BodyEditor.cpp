#include "BodyEditor.h"

#include <QKeyEvent>

#include "ReturnKey.h"

BodyEditor::BodyEditor(QWidget* parent)
    : ClipTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    document()->setDocumentMargin(2);
}

void BodyEditor::keyPressEvent(QKeyEvent* event)
{
    // Shift+Enter would insert U+2028, which no clip file can hold as a line break.
    if (isReturnKey(event) && !(event->modifiers() & (Qt::AltModifier | Qt::MetaModifier))) {
        insertClipPlainText(QStringLiteral("\n"));
        ensureCursorVisible();
        event->accept();
        return;
    }
    ClipTextEdit::keyPressEvent(event);
}
