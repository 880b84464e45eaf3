#include "EditField.h"

#include <QFocusEvent>
#include <QKeyEvent>
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
    // Not after a click, a context menu or popup, or the window's activation: the text and the
    // caret stay as the user left them.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::OtherFocusReason)
        selectAll();
}

bool EditField::passOnSystemCharacter(QKeyEvent* event)
{
    if (!event->modifiers().testFlag(Qt::AltModifier) || event->text().isEmpty())
        return false;
    event->ignore();
    return true;
}
