#pragma once

#include "EditField.h"

#include <functional>

// The name display: a read-only, frameless field that shows its text in capitals and tells its
// owner about every mouse press after handling the press itself.
class NameDisplay : public EditField
{
    Q_OBJECT

public:
    explicit NameDisplay(QWidget* parent = nullptr);

    void setMousePressHook(std::function<void()> hook) { m_mousePressHook = std::move(hook); }

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::function<void()> m_mousePressHook;
};
