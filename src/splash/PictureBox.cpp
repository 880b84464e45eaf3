#include "PictureBox.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include "ClipError.h"

PictureBox::PictureBox(QByteArray pictureBytes, QWidget* parent)
    : QWidget(parent)
    , m_picture(std::move(pictureBytes))
{
    setFixedSize(m_picture.size());
    // The picture covers the control; nothing beneath needs painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::decodeOnce()
{
    if (m_decoded)
        return;
    m_decoded = true;
    try {
        m_picture.decode(m_image);
    } catch (const ClipError& error) {
        // The error box is modal: it opens once this paint is over, not inside it.
        QTimer::singleShot(0, this, [this, message = error.message()] { emit decodeFailed(message); });
    }
}

void PictureBox::paintEvent(QPaintEvent*)
{
    decodeOnce();
    QPainter painter(this);
    if (m_image.isNull())
        painter.fillRect(rect(), Qt::black);
    else
        painter.drawImage(0, 0, m_image);
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    if (rect().contains(event->position().toPoint()))
        emit clicked();
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double-click comes as this event alone; its release clicks nothing.
    if (event->button() == Qt::LeftButton)
        emit clicked();
}
