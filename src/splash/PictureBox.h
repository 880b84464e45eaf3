#pragma once

#include <QImage>
#include <QWidget>

#include "JpegPicture.h"

// A picture control: holds a JPEG picture, takes the picture's size, and draws it at its natural
// size at the top-left corner. The header is read when the control is made (an unreadable picture
// makes construction fail); the pixels are decoded at the first paint and kept for every later
// one.
class PictureBox : public QWidget
{
    Q_OBJECT

public:
    PictureBox(QByteArray pictureBytes, QWidget* parent);

    // The decoded picture; null before the first paint.
    const QImage& decodedImage() const { return m_image; }

signals:
    // A left-button click (press and release on the control) and a double-click alike.
    void clicked();
    // After the paint in which the decode failed, with the error's message.
    void decodeFailed(const QString& message);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void decodeOnce();

    JpegPicture m_picture;
    QImage m_image;
    bool m_decoded = false;
    bool m_pressed = false;
};
