#pragma once

#include <QObject>

#include <functional>

class QWidget;

// Gives a control without a clicked signal of its own (a label) one: the action runs when the
// left mouse button, pressed on the control, is released over it.
class ClickFilter : public QObject
{
    Q_OBJECT

public:
    // The filter belongs to the control and goes with it.
    static void install(QWidget* control, std::function<void()> onClick);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ClickFilter(QWidget* control, std::function<void()> onClick);

    std::function<void()> m_onClick;
    bool m_pressed = false;
};
