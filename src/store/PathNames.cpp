#include "PathNames.h"

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

QByteArray join(const QByteArray& directory, const QByteArray& name)
{
    return directory + '/' + name;
}

} // namespace PathNames
