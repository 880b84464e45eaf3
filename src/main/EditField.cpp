#include "EditField.h"

#include <QFocusEvent>
#include <QValidator>

namespace {

// A validator may rewrite the text it checks; QLineEdit then takes the rewritten text, whether
// the change came from the keyboard, the clipboard or setText().
class LetterCaseValidator : public QValidator
{
public:
    LetterCaseValidator(EditField::LetterCase letterCase, QObject* parent)
        : QValidator(parent)
        , m_letterCase(letterCase)
    {
    }

    State validate(QString& input, int&) const override
    {
        input = m_letterCase == EditField::LetterCase::Upper ? input.toUpper() : input.toLower();
        return Acceptable;
    }

private:
    EditField::LetterCase m_letterCase;
};

} // namespace

EditField::EditField(QWidget* parent)
    : QLineEdit(parent)
{
}

void EditField::setLetterCase(LetterCase letterCase)
{
    delete validator();
    setValidator(letterCase == LetterCase::AsTyped ? nullptr : new LetterCaseValidator(letterCase, this));
}

void EditField::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (event->reason() != Qt::MouseFocusReason)
        selectAll();
}
