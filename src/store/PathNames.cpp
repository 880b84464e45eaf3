#include "PathNames.h"

#include "TextBytes.h"

namespace PathNames {

QByteArray changeExtension(const QByteArray& path, const QByteArray& extension)
{
    const qsizetype slash = path.lastIndexOf('/');
    const qsizetype dot = path.lastIndexOf('.');
    const qsizetype cut = dot > slash ? dot : path.size();
    return path.left(cut) + extension;
}

QByteArray fileNamePart(const QByteArray& path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

QByteArray clipNameOfPath(const QByteArray& path)
{
    const QByteArray name = fileNamePart(path);
    const qsizetype dot = name.lastIndexOf('.');
    return dot < 0 ? name : name.left(dot);
}

bool equalIgnoringCase(const QByteArray& a, const QByteArray& b)
{
    return a == b || TextBytes::displayName(a).toCaseFolded() == TextBytes::displayName(b).toCaseFolded();
}

QByteArray join(const QByteArray& directory, const QByteArray& name)
{
    return directory + '/' + name;
}

} // namespace PathNames
