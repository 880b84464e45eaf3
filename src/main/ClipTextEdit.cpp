#include "ClipTextEdit.h"

#include <QKeyEvent>

#include "ClipError.h"
#include "KeyPressWindows.h"
#include "LineBreaks.h"

ClipTextEdit::ClipTextEdit(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setFrameShape(QFrame::NoFrame);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    KeyPressWindows::startWatching();
}

QString ClipTextEdit::clipText() const
{
    return LineBreaks::toClipText(document()->toRawText());
}

void ClipTextEdit::setClipText(const QString& text)
{
    if (text.size() > kEditorCapacity) {
        m_holdsFileText = false;
        throw ClipError(QStringLiteral("Text exceeds memo capacity"));
    }
    setPlainText(text);
    m_holdsFileText = true;
}

void ClipTextEdit::keyReleaseEvent(QKeyEvent* event)
{
    QPlainTextEdit::keyReleaseEvent(event);
    if (event->isAutoRepeat() || !m_keyReleaseHook)
        return;
    // The Enter or Esc that closed an error box comes up here after the box is gone. Taken as a
    // key of this editor it would save again and bring the same box back at every answer.
    if (KeyPressWindows::pressedElsewhere(event->key(), window()))
        return;
    m_keyReleaseHook();
}

bool ClipTextEdit::isReturnKey(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}
