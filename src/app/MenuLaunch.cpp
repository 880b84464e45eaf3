#include "MenuLaunch.h"

#include <QString>

#include "ClipError.h"
#include "TextBytes.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace MenuLaunch {

QByteArray homeFolder()
{
    const QByteArray home = qgetenv("HOME");
    if (!home.isEmpty())
        return home;
    const passwd* entry = getpwuid(getuid());
    return entry && entry->pw_dir ? QByteArray(entry->pw_dir) : QByteArray("/");
}

QByteArray enterClipsFolder(const QByteArray& home)
{
    QByteArray folder = home;
    if (!folder.endsWith('/'))
        folder += '/';
    folder += kClipsFolderName;

    const auto fail = [&folder](const char* what) {
        const int error = errno;
        return ClipError(QString::fromUtf8(what) + TextBytes::displayName(folder) + QStringLiteral(": ")
                         + QString::fromLocal8Bit(std::strerror(error)));
    };
    // Made as the user's shell would make it: the umask decides who else may read it.
    if (mkdir(folder.constData(), 0777) != 0 && errno != EEXIST)
        throw fail("Cannot create folder ");
    if (chdir(folder.constData()) != 0)
        throw fail("Cannot open folder ");
    return folder;
}

} // namespace MenuLaunch
