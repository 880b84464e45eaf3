#pragma once

#include <QKeyEvent>

// Return on the main keyboard and Enter on the keypad do the same in every field.
inline bool isReturnKey(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}
