#include "PathNames.h"

#include "TextBytes.h"

#include <QList>

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

QByteArray directoryPart(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QByteArray withFileName(const QByteArray& path, const QByteArray& name)
{
    return path.left(path.lastIndexOf('/') + 1) + name;
}

QByteArray clipNameOfPath(const QByteArray& path)
{
    const QByteArray name = fileNamePart(path);
    const qsizetype dot = name.lastIndexOf('.');
    return dot < 0 ? name : name.left(dot);
}

bool equalIgnoringCase(const QByteArray& a, const QByteArray& b)
{
    if (a == b)
        return true;
    // Part by part: a folder's name and the names above it may each be in another encoding.
    const QList<QByteArray> partsA = a.split('/');
    const QList<QByteArray> partsB = b.split('/');
    if (partsA.size() != partsB.size())
        return false;
    for (qsizetype i = 0; i < partsA.size(); ++i) {
        if (partsA[i] != partsB[i] && TextBytes::foldedName(partsA[i]) != TextBytes::foldedName(partsB[i]))
            return false;
    }
    return true;
}

QByteArray join(const QByteArray& directory, const QByteArray& name)
{
    return directory + '/' + name;
}

} // namespace PathNames
