#include "SplashPicture.h"

#include <QResource>

#include <optional>

namespace {

std::optional<QByteArray> s_replacement;

QByteArray compiledIn()
{
    const QResource resource(QStringLiteral(":/snipwell/splash.jpg"));
    // Stored as it is (a JPEG does not shrink), so the bytes are read in place.
    if (resource.compressionAlgorithm() == QResource::NoCompression)
        return QByteArray::fromRawData(reinterpret_cast<const char*>(resource.data()), resource.size());
    return resource.uncompressedData();
}

} // namespace

namespace SplashPicture {

QByteArray bytes()
{
    return s_replacement ? *s_replacement : compiledIn();
}

void replace(const QByteArray& bytes)
{
    s_replacement = bytes;
}

void restore()
{
    s_replacement.reset();
}

} // namespace SplashPicture
