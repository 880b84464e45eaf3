#include "CommandBox.h"

#include <QKeyEvent>

CommandBox::CommandBox(QWidget* parent)
    : EditField(parent)
{
    setFrame(false);
    setMaxLength(8);
    setLetterCase(LetterCase::Lower);
}

void CommandBox::keyPressEvent(QKeyEvent* event)
{
    if (passOnSystemCharacter(event))
        return;
    if (m_keyPressHook) {
        const QString typed = event->text();
        for (const QChar character : typed) {
            if (!m_keyPressHook(character)) {
                event->accept();
                return;
            }
        }
    }
    EditField::keyPressEvent(event);
}
