#include "NameDisplay.h"

NameDisplay::NameDisplay(QWidget* parent)
    : EditField(parent)
{
    setFrame(false);
    setReadOnly(true);
    setLetterCase(LetterCase::Upper);
}

void NameDisplay::mousePressEvent(QMouseEvent* event)
{
    EditField::mousePressEvent(event);
    emit mousePressed();
}
