#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// The one error type of the program: it carries the message shown in the error box.
class ClipError : public std::exception
{
public:
    explicit ClipError(QString message);

    const QString& message() const { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

    // "Cannot open file %s", "Cannot create file %s", "Stream write error",
    // "Text exceeds memo capacity"
    static ClipError cannotOpen(const QByteArray& path);
    static ClipError cannotCreate(const QByteArray& path);
    static ClipError streamWrite();
    static ClipError exceedsCapacity();

private:
    QString m_message;
    QByteArray m_utf8;
};
