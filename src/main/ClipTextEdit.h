#pragma once

#include <QPlainTextEdit>

#include <functional>

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

    void setKeyReleaseHook(std::function<void()> hook) { m_keyReleaseHook = std::move(hook); }

protected:
    void keyReleaseEvent(QKeyEvent* event) override;

    static bool isReturnKey(const QKeyEvent* event);

private:
    std::function<void()> m_keyReleaseHook;
};
