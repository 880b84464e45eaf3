#include "ClickFilter.h"

#include <QMouseEvent>
#include <QWidget>

ClickFilter::ClickFilter(QWidget* control, std::function<void()> onClick)
    : QObject(control)
    , m_onClick(std::move(onClick))
{
}

void ClickFilter::install(QWidget* control, std::function<void()> onClick)
{
    control->installEventFilter(new ClickFilter(control, std::move(onClick)));
}

bool ClickFilter::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            m_pressed = true;
        break;
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || !m_pressed)
            break;
        m_pressed = false;
        const auto* control = static_cast<QWidget*>(watched);
        if (control->rect().contains(mouse->position().toPoint()))
            m_onClick();
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
