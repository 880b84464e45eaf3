#pragma once

#include <QLineEdit>

// A one-line field that selects its whole text when the keyboard or the program gives it the
// focus (not a mouse click), and can convert every letter it takes to one case.
class EditField : public QLineEdit
{
    Q_OBJECT

public:
    enum class LetterCase { AsTyped, Lower, Upper };

    explicit EditField(QWidget* parent = nullptr);

    // Applies to typed, pasted and program-set text alike.
    void setLetterCase(LetterCase letterCase);

protected:
    void focusInEvent(QFocusEvent* event) override;
};
