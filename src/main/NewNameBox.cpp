#include "NewNameBox.h"

#include <QKeyEvent>

#include "ReturnKey.h"

NewNameBox::NewNameBox(QWidget* parent)
    : EditField(parent)
{
    setMaxLength(8);
    setFocusPolicy(Qt::ClickFocus);
}

void NewNameBox::keyPressEvent(QKeyEvent* event)
{
    if (passOnSystemCharacter(event))
        return;
    // Enter's handling hides the box; the field itself has nothing to do with it.
    const bool enter = isReturnKey(event);
    const QString typed = enter ? QStringLiteral("\r") : event->text();
    for (const QChar character : typed)
        emit characterTyped(character);
    if (enter) {
        event->accept();
        return;
    }
    EditField::keyPressEvent(event);
}
