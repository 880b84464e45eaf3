#pragma once

#include "EditField.h"

// The new-name box: at most 8 characters in the letter case typed, out of the Tab order. Every
// typed character (Enter as 13) is reported before the field takes it.
class NewNameBox : public EditField
{
    Q_OBJECT

public:
    explicit NewNameBox(QWidget* parent = nullptr);

signals:
    void characterTyped(QChar character);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
