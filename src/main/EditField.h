#pragma once

#include <QLineEdit>

// A one-line field that selects its whole text when Tab, Shift+Tab or the program gives it the
// focus, and can convert every letter it takes to one case.
class EditField : public QLineEdit
{
    Q_OBJECT

public:
    enum class LetterCase { AsTyped, Lower, Upper };

    explicit EditField(QWidget* parent = nullptr);

    // Applies to typed, pasted and program-set text alike.
    void setLetterCase(LetterCase letterCase);

    // Empties the field for the program: unlike QLineEdit::clear(), with no undo history, so
    // Ctrl+Z cannot bring back a name or command the program has taken away.
    void clear() { setText(QString()); }

protected:
    void focusInEvent(QFocusEvent* event) override;

    // A character typed with Alt held is the desktop's (a menu or a shortcut), never the field's
    // or its owner's: such a key is ignored here, so that it travels on, and true returned.
    static bool passOnSystemCharacter(QKeyEvent* event);
};
