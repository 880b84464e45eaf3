#pragma once

#include <QPlainTextEdit>

#include "ClipStore.h"

// The longest text, in characters of the clip text (CR LF counts two), that an editor takes from
// a clip file.
inline constexpr qsizetype kEditorCapacity = kClipTextCapacity;

// A line longer than this is held in pieces of at most this many characters. The editor lays
// out a whole paragraph again at every key (about a microsecond a character) and wraps a run
// without spaces in time that grows with the square of its length, so one long line would make
// every key wait for seconds. Each piece is a paragraph of its own, joined to the next by a
// piece break: it is shown as a line end but never saved, copied or counted.
inline constexpr qsizetype kPieceLength = 4096;

// A frameless, word-wrapping plain-text editor for a clip text, on which Tab moves the focus on.
// It reports every key that comes up while it has the focus; the repeats of a held key count
// once, at the real release.
class ClipTextEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit ClipTextEdit(QWidget* parent = nullptr);

    // The whole text with CR LF between lines, every other character as the editor holds it
    // (toPlainText() would turn a non-breaking space into a plain one), without piece breaks.
    QString clipText() const;

    // Shows a text just read from a clip file. A text longer than kEditorCapacity is refused
    // with "Text exceeds memo capacity" and the editor keeps what it held.
    void setClipText(const QString& text);
    // False after a refused text, until a text is taken again: what the editor then shows is not
    // what the file last read holds, so it must not be saved over it.
    bool holdsFileText() const { return m_holdsFileText; }

signals:
    // After a key released in the editor (not an auto-repeat, nor a key pressed in another
    // window): the window saves the clip then.
    void keyReleased();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;

    // Replaces the selection with a typed or pasted text: its line breaks stay line breaks and a
    // long line goes in as pieces. Qt's own insertion would give each new line the paragraph
    // format of the line it is typed into, and so make a piece break of a line break.
    void insertClipPlainText(const QString& text);

private:
    // The text from one document position to another: line breaks as LF, piece breaks left out.
    QString textBetween(int from, int to) const;
    // The raw text of the document from a position on (U+2029 at each paragraph's end) without
    // the separators that are piece breaks.
    QString withoutPieceBreaks(const QString& raw, int from) const;

    bool m_holdsFileText = false;
};
