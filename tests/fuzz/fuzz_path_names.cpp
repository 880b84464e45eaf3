// Change of extension, file-name part and clip name of a path, on byte strings.
// Input: PATH, then optionally a zero byte and EXTENSION, a zero byte and a second EXTENSION
// (paths hold no zero byte, so it is the natural separator).
#include "FuzzCheck.h"
#include "PathNames.h"

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>

namespace {

// An extension as the store uses them: a dot, then no further dot or separator.
bool isExtension(const QByteArray& e)
{
    return e.startsWith('.') && e.count('.') == 1 && !e.contains('/');
}

// Everything up to and including the last separator.
QByteArray directoryPart(const QByteArray& path)
{
    return path.left(path.lastIndexOf('/') + 1);
}

void checkPath(const QByteArray& path, const QByteArray& e1, const QByteArray& e2)
{
    const QByteArray name = PathNames::fileNamePart(path);
    FUZZ_CHECK(!name.contains('/'));
    FUZZ_CHECK(path.endsWith(name));
    FUZZ_CHECK(directoryPart(path) + name == path);
    if (!path.contains('/'))
        FUZZ_CHECK(name == path);

    // The clip name is the file-name part with its extension changed to none.
    const QByteArray clip = PathNames::clipNameOfPath(path);
    FUZZ_CHECK(clip == PathNames::changeExtension(name, QByteArray()));
    FUZZ_CHECK(!clip.contains('/'));
    FUZZ_CHECK(name.startsWith(clip));
    if (!path.contains('/'))
        FUZZ_CHECK(clip == PathNames::changeExtension(path, QByteArray()));

    for (const QByteArray& e : { e1, e2 }) {
        if (e.contains('/'))
            continue;
        const QByteArray changed = PathNames::changeExtension(path, e);
        // A dot in the directory part never counts; only the file name changes.
        FUZZ_CHECK(directoryPart(changed) == directoryPart(path));
        FUZZ_CHECK(PathNames::fileNamePart(changed) == clip + e);
        if (isExtension(e)) {
            FUZZ_CHECK(PathNames::changeExtension(changed, e) == changed);
            FUZZ_CHECK(PathNames::clipNameOfPath(changed) == clip);
        }
    }
    // Changing the extension twice is changing it once (title path from body path and back).
    if (isExtension(e1) && !e2.contains('/'))
        FUZZ_CHECK(PathNames::changeExtension(PathNames::changeExtension(path, e1), e2)
                   == PathNames::changeExtension(path, e2));

    // A path built from a directory and a clip name gives back the clip name.
    const QByteArray built = PathNames::join(path, clip + ".txt");
    FUZZ_CHECK(PathNames::clipNameOfPath(built) == clip);
    FUZZ_CHECK(PathNames::fileNamePart(built) == clip + ".txt");
    FUZZ_CHECK(PathNames::changeExtension(built, ".hed") == PathNames::join(path, clip + ".hed"));

    // Letter case: a path equals itself and its ASCII upper-case form, either way round.
    FUZZ_CHECK(PathNames::equalIgnoringCase(path, path));
    const QByteArray upper = path.toUpper();
    FUZZ_CHECK(PathNames::equalIgnoringCase(path, upper));
    FUZZ_CHECK(PathNames::equalIgnoringCase(upper, path));
    FUZZ_CHECK(PathNames::equalIgnoringCase(path, e1) == PathNames::equalIgnoringCase(e1, path));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<QByteArray> parts = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).split('\0');
    checkPath(parts.value(0), parts.value(1), parts.value(2));
    return 0;
}
