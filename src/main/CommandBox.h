#pragma once

#include "EditField.h"

#include <functional>

// The command box: a frameless field of at most 8 lower-case characters whose owner sees every
// typed character (Enter as 13, Esc as 27) before the field takes it.
class CommandBox : public EditField
{
    Q_OBJECT

public:
    // Returns false when the character must not reach the field (its handler failed).
    using KeyPressHook = std::function<bool(QChar)>;

    explicit CommandBox(QWidget* parent = nullptr);

    void setKeyPressHook(KeyPressHook hook) { m_keyPressHook = std::move(hook); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    KeyPressHook m_keyPressHook;
};
