#include "ClipStore.h"

#include "ClipError.h"
#include "ClipFiles.h"
#include "PathNames.h"

#include <cstring>

QByteArray ClipStore::typedClipName(const QString& typed)
{
    const QByteArray utf8 = TextBytes::fileNameFromText(typed);
    const QByteArray windows1252 = TextBytes::windows1252FileNameFromText(typed);
    // A relative name resolves against the current directory, the clip directory.
    if (windows1252.isNull() || ClipFiles::exists(utf8 + ".txt") || !ClipFiles::exists(windows1252 + ".txt"))
        return utf8;
    return windows1252;
}

OpenOutcome ClipStore::openClip(const QByteArray& clipName, const std::function<void()>& beforeCreatingTitle)
{
    const QByteArray directory = ClipFiles::currentDirectory();
    movePaths(PathNames::join(directory, clipName + ".hed"), PathNames::join(directory, clipName + ".txt"));
    if (!ClipFiles::exists(m_body.path))
        return OpenOutcome::NotFound;
    if (!ClipFiles::exists(m_title.path)) {
        if (beforeCreatingTitle)
            beforeCreatingTitle();
        // Never over a title file that another program made in the meantime: that one is read.
        ClipFiles::createEmpty(m_title.path);
        if (!ClipFiles::exists(m_title.path))
            throw ClipError::cannotCreate(m_title.path);
    }
    return OpenOutcome::Found;
}

QString ClipStore::takeTitleText()
{
    return take(m_title);
}

QString ClipStore::takeBodyText()
{
    return take(m_body);
}

QString ClipStore::take(ClipFile& file)
{
    // Each editor character comes from at least a third of a byte (UTF-8), plus a mark.
    constexpr qsizetype kMaxFileBytes = 3 * kClipTextCapacity + 3;
    file.onDisk = ClipFiles::nameOnDisk(file.path);
    DecodedText decoded = TextBytes::decodeClipText(ClipFiles::readAll(file.onDisk, kMaxFileBytes));
    file.taken = true;
    file.cut = decoded.cut;
    file.encoding = decoded.encoding;
    return std::move(decoded.text);
}

namespace {

// Characters Windows refuses in file names; refusing them too keeps clip folders portable.
bool holdsReservedCharacter(const QByteArray& name)
{
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("<>:\"|?*", c))
            return true;
    }
    return false;
}

} // namespace

CreateOutcome ClipStore::createClip(const QByteArray& clipName)
{
    // Relative: resolved against the current directory, and a "/" in the name reaches a folder.
    const QByteArray path = clipName + ".txt";
    if (ClipFiles::exists(path))
        return CreateOutcome::AlreadyExists;
    if (holdsReservedCharacter(clipName))
        return CreateOutcome::Failed;
    ClipFiles::createEmpty(path);
    return ClipFiles::exists(path) ? CreateOutcome::Created : CreateOutcome::Failed;
}

void ClipStore::deleteClip(const QByteArray& bodyFilePath)
{
    ClipFiles::remove(bodyFilePath);
    ClipFiles::remove(PathNames::changeExtension(bodyFilePath, ".hed"));
    clearCurrentPaths();
}

void ClipStore::saveTitle(const QString& text)
{
    save(m_title, text);
}

void ClipStore::saveBody(const QString& text)
{
    save(m_body, text);
}

void ClipStore::save(ClipFile& file, const QString& text)
{
    if (!file.taken || !ClipFiles::exists(file.current()))
        return;
    if (file.cut)
        throw ClipError::cannotCreate(file.path);
    const EncodedText encoded = TextBytes::encode(text, file.encoding);
    ClipFiles::writeAll(file.current(), encoded.bytes, file.path);
    file.encoding = encoded.encoding;
}

bool ClipStore::bodyPresent() const
{
    return !m_body.path.isEmpty() && ClipFiles::exists(m_body.current());
}

void ClipStore::clearCurrentPaths()
{
    movePaths(QByteArray(), QByteArray());
}

void ClipStore::movePaths(const QByteArray& titlePath, const QByteArray& bodyPath)
{
    m_title = ClipFile();
    m_title.path = titlePath;
    m_body = ClipFile();
    m_body.path = bodyPath;
}
