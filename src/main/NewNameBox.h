#pragma once

#include "EditField.h"

#include <functional>

// The new-name box: at most 8 characters in the letter case typed, out of the Tab order. Its
// owner sees every typed character (Enter as 13) before the field takes it.
class NewNameBox : public EditField
{
    Q_OBJECT

public:
    using KeyPressHook = std::function<void(QChar)>;

    explicit NewNameBox(QWidget* parent = nullptr);

    void setKeyPressHook(KeyPressHook hook) { m_keyPressHook = std::move(hook); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    KeyPressHook m_keyPressHook;
};
