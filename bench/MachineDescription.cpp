#include "MachineDescription.h"

#include <QFile>
#include <QStringList>
#include <QtGlobal>

#include <sys/utsname.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The value of the first "key : value" line of a /proc file whose key is `key`.
QString procValue(const char* file, QByteArrayView key)
{
    QFile proc(QString::fromLatin1(file));
    if (!proc.open(QIODevice::ReadOnly))
        return {};
    // /proc files report a size of 0: read to the end rather than by size.
    const QList<QByteArray> lines = proc.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed() == key)
            return QString::fromUtf8(line.mid(colon + 1).trimmed());
    }
    return {};
}

QString compilerName()
{
#if defined(__clang__)
    return u"Clang "_s + QString::fromLatin1(__clang_version__).trimmed();
#elif defined(__GNUC__)
    return u"GCC "_s + QString::fromLatin1(__VERSION__);
#else
    return u"unknown compiler"_s;
#endif
}

} // namespace

QString machineDescription()
{
    QStringList fields;
    QString cpu = procValue("/proc/cpuinfo", "model name");
    fields << (cpu.isEmpty() ? u"unknown CPU"_s : cpu.simplified());
    fields << QString::number(::sysconf(_SC_NPROCESSORS_ONLN)) + u" logical CPUs"_s;
    // "24683172 kB"
    const double memoryKiB = procValue("/proc/meminfo", "MemTotal").section(u' ', 0, 0).toDouble();
    fields << QString::number(memoryKiB / (1 << 20), 'f', 1) + u" GiB RAM"_s;
    struct utsname system;
    if (::uname(&system) == 0)
        fields << QString::fromLatin1(system.sysname) + u' ' + QString::fromLatin1(system.release) + u' '
                + QString::fromLatin1(system.machine);
    fields << u"Qt "_s + QString::fromLatin1(qVersion());
    fields << compilerName();
    const QString buildType = QString::fromLatin1(SNIPWELL_BUILD_TYPE);
    fields << (buildType.isEmpty() ? u"no build type"_s : buildType + u" build"_s);
    return fields.join(u", "_s);
}
