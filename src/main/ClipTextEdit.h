#pragma once

#include <QPlainTextEdit>

#include <functional>

// The longest text, in characters of the clip text (CR LF counts two), that an editor takes from
// a clip file; a longer one would keep the editors from responding.
inline constexpr qsizetype kEditorCapacity = 4 * 1024 * 1024;

// A frameless, word-wrapping plain-text editor for a clip text, on which Tab moves the focus on.
// It tells its owner about every key that comes up while it has the focus; the repeats of a
// held key count once, at the real release.
class ClipTextEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit ClipTextEdit(QWidget* parent = nullptr);

    // The whole text with CR LF between lines, every other character as the editor holds it
    // (toPlainText() would turn a non-breaking space into a plain one).
    QString clipText() const;

    // Shows a text just read from a clip file. A text longer than kEditorCapacity is refused
    // with "Text exceeds memo capacity" and the editor keeps what it held.
    void setClipText(const QString& text);
    // False after a refused text, until a text is taken again: what the editor then shows is not
    // what the file last read holds, so it must not be saved over it.
    bool holdsFileText() const { return m_holdsFileText; }

    void setKeyReleaseHook(std::function<void()> hook) { m_keyReleaseHook = std::move(hook); }

protected:
    void keyReleaseEvent(QKeyEvent* event) override;

    static bool isReturnKey(const QKeyEvent* event);

private:
    std::function<void()> m_keyReleaseHook;
    bool m_holdsFileText = false;
};
