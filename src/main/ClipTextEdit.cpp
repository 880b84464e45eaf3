#include "ClipTextEdit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>

#include "ClipError.h"
#include "KeyPressWindows.h"
#include "LineBreaks.h"

#include <algorithm>

namespace {

// Marks a paragraph that continues the line of the one before it.
constexpr int kFollowsPieceBreak = QTextFormat::UserProperty + 1;

bool followsPieceBreak(const QTextBlock& block)
{
    return block.blockFormat().boolProperty(kFollowsPieceBreak);
}

// The characters that QTextCursor::insertText turns into a new paragraph (CR LF counts once).
bool endsParagraph(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar(0xFDD0) || c == QChar(0xFDD1);
}

bool holdsLongLine(QStringView text)
{
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (endsParagraph(text[i]))
            lineStart = i + 1;
        else if (i - lineStart >= kPieceLength)
            return true;
    }
    return false;
}

// Where the piece of a long line that starts at `from` ends: after the last space close to the
// limit, where the wrap would break the line anyway; otherwise at the limit, but never inside a
// surrogate pair nor before a combining mark.
qsizetype pieceEnd(QStringView line, qsizetype from)
{
    const qsizetype limit = from + kPieceLength;
    for (qsizetype at = limit; at > limit - kPieceLength / 8; --at) {
        if (line[at - 1].isSpace())
            return at;
    }
    qsizetype at = limit;
    while (at > from + 1 && (line[at].isLowSurrogate() || line[at].isMark()))
        --at;
    return at;
}

// Inserts a text at the cursor: paragraphs for its lines, pieces for its long lines.
void insertInPieces(QTextCursor& cursor, QStringView text)
{
    QTextBlockFormat lineFormat = cursor.blockFormat();
    lineFormat.clearProperty(kFollowsPieceBreak);
    QTextBlockFormat pieceFormat = lineFormat;
    pieceFormat.setProperty(kFollowsPieceBreak, true);

    const auto insertLine = [&](QStringView line) {
        qsizetype from = 0;
        while (line.size() - from > kPieceLength) {
            const qsizetype end = pieceEnd(line, from);
            cursor.insertText(line.sliced(from, end - from).toString());
            cursor.insertBlock(pieceFormat);
            from = end;
        }
        cursor.insertText(line.sliced(from).toString());
    };
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!endsParagraph(text[i]))
            continue;
        insertLine(text.sliced(lineStart, i - lineStart));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        cursor.insertBlock(lineFormat);
        lineStart = i + 1;
    }
    insertLine(text.sliced(lineStart));
}

} // namespace

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
    return LineBreaks::toClipText(withoutPieceBreaks(document()->toRawText(), 0));
}

QString ClipTextEdit::textBetween(int from, int to) const
{
    QTextCursor range(document());
    range.setPosition(from);
    range.setPosition(to, QTextCursor::KeepAnchor);
    QString text = withoutPieceBreaks(range.selectedText(), from);
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

QString ClipTextEdit::withoutPieceBreaks(const QString& raw, int from) const
{
    // Most texts have none, and a paragraph's format is cheaper to look at than its position.
    const QTextBlock last = document()->findBlock(from + int(raw.size()));
    QString text;
    qsizetype copied = 0;
    for (QTextBlock block = document()->findBlock(from); block != last;) {
        block = block.next();
        if (!followsPieceBreak(block))
            continue;
        const qsizetype separator = block.position() - 1 - from;
        text.append(QStringView(raw).sliced(copied, separator - copied));
        copied = separator + 1;
    }
    if (copied == 0)
        return raw;
    text.append(QStringView(raw).sliced(copied));
    return text;
}

void ClipTextEdit::setClipText(const QString& text)
{
    if (text.size() > kEditorCapacity) {
        m_holdsFileText = false;
        throw ClipError::exceedsCapacity();
    }
    if (!holdsLongLine(text)) {
        setPlainText(text);
    } else {
        setPlainText(QString());
        // One change for the layout to take, none for Undo to take back.
        document()->setUndoRedoEnabled(false);
        QTextCursor cursor(document());
        cursor.beginEditBlock();
        insertInPieces(cursor, text);
        cursor.endEditBlock();
        document()->setUndoRedoEnabled(true);
        document()->setModified(false);
        setTextCursor(QTextCursor(document()));
    }
    m_holdsFileText = true;
}

void ClipTextEdit::insertClipPlainText(const QString& text)
{
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    insertInPieces(cursor, text);
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

void ClipTextEdit::insertFromMimeData(const QMimeData* source)
{
    if (source->hasText())
        insertClipPlainText(source->text());
}

QMimeData* ClipTextEdit::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    bool crossesPieceBreak = false;
    for (QTextBlock block = document()->findBlock(start).next(); block.isValid() && block.position() <= end;
         block = block.next())
        crossesPieceBreak = crossesPieceBreak || followsPieceBreak(block);
    if (!crossesPieceBreak)
        return QPlainTextEdit::createMimeDataFromSelection();
    auto* data = new QMimeData;
    data->setText(textBetween(start, end));
    return data;
}

void ClipTextEdit::inputMethodEvent(QInputMethodEvent* event)
{
    const QString commit = event->commitString();
    if (std::none_of(commit.begin(), commit.end(), endsParagraph)) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent withoutCommit(event->preeditString(), event->attributes());
    withoutCommit.setCommitString(QString(), event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&withoutCommit);
    insertClipPlainText(commit);
    event->accept();
}

void ClipTextEdit::keyPressEvent(QKeyEvent* event)
{
    // At a piece break Backspace and Delete take the character beyond it, and the arrow keys
    // step over it: to the user the two pieces are one line.
    QTextCursor cursor = textCursor();
    const bool plain = !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier));
    if (plain && !cursor.hasSelection() && event->key() == Qt::Key_Backspace && cursor.atBlockStart()
        && followsPieceBreak(cursor.block())) {
        while (cursor.atBlockStart() && followsPieceBreak(cursor.block()))
            cursor.movePosition(QTextCursor::PreviousCharacter);
        cursor.deletePreviousChar();
        setTextCursor(cursor);
        event->accept();
        return;
    }
    if (!cursor.hasSelection() && event->matches(QKeySequence::Delete) && cursor.atBlockEnd()
        && followsPieceBreak(cursor.block().next())) {
        while (cursor.atBlockEnd() && followsPieceBreak(cursor.block().next()))
            cursor.movePosition(QTextCursor::NextCharacter);
        cursor.deleteChar();
        setTextCursor(cursor);
        event->accept();
        return;
    }
    const int before = cursor.position();
    QPlainTextEdit::keyPressEvent(event);
    const bool stepsOneCharacter = event->matches(QKeySequence::MoveToNextChar)
        || event->matches(QKeySequence::MoveToPreviousChar) || event->matches(QKeySequence::SelectNextChar)
        || event->matches(QKeySequence::SelectPreviousChar);
    if (!stepsOneCharacter)
        return;
    cursor = textCursor();
    const int after = cursor.position();
    if (after - before != 1 && before - after != 1)
        return;
    const QTextBlock crossed = document()->findBlock(std::max(before, after));
    if (crossed.position() != std::max(before, after) || !followsPieceBreak(crossed))
        return;
    const bool selects
        = event->matches(QKeySequence::SelectNextChar) || event->matches(QKeySequence::SelectPreviousChar);
    const QTextCursor::MoveMode mode = selects ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor;
    cursor.movePosition(after > before ? QTextCursor::NextCharacter : QTextCursor::PreviousCharacter, mode);
    setTextCursor(cursor);
}

void ClipTextEdit::keyReleaseEvent(QKeyEvent* event)
{
    QPlainTextEdit::keyReleaseEvent(event);
    if (event->isAutoRepeat())
        return;
    // The Enter or Esc that closed an error box comes up here after the box is gone. Taken as a
    // key of this editor it would save again and bring the same box back at every answer.
    if (KeyPressWindows::pressedElsewhere(event->key(), window()))
        return;
    emit keyReleased();
}
