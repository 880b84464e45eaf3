#include "ClipError.h"

#include "TextBytes.h"

ClipError::ClipError(QString message)
    : m_message(std::move(message))
    , m_utf8(m_message.toUtf8())
{
}

ClipError ClipError::cannotOpen(const QByteArray& path)
{
    return ClipError(QStringLiteral("Cannot open file %1").arg(TextBytes::displayName(path)));
}

ClipError ClipError::cannotCreate(const QByteArray& path)
{
    return ClipError(QStringLiteral("Cannot create file %1").arg(TextBytes::displayName(path)));
}

ClipError ClipError::streamWrite()
{
    return ClipError(QStringLiteral("Stream write error"));
}

ClipError ClipError::exceedsCapacity()
{
    return ClipError(QStringLiteral("Text exceeds memo capacity"));
}
