#include "ClipStore.h"

#include "ClipError.h"
#include "ClipFiles.h"
#include "LineBreaks.h"
#include "PathNames.h"

#include <cstring>

OpenOutcome ClipStore::openClip(const QByteArray& clipName, const std::function<void()>& beforeCreatingTitle)
{
    const QByteArray directory = ClipFiles::currentDirectory();
    movePaths(PathNames::join(directory, clipName + ".hed"), PathNames::join(directory, clipName + ".txt"));
    if (!ClipFiles::exists(m_bodyPath))
        return OpenOutcome::NotFound;
    if (!ClipFiles::exists(m_titlePath)) {
        if (beforeCreatingTitle)
            beforeCreatingTitle();
        // Never over a title file that another program made in the meantime: that one is read.
        ClipFiles::createEmpty(m_titlePath);
        if (!ClipFiles::exists(m_titlePath))
            throw ClipError::cannotCreate(m_titlePath);
    }
    return OpenOutcome::Found;
}

QString ClipStore::takeTitleText()
{
    DecodedText decoded = TextBytes::decode(LineBreaks::normalise(ClipFiles::readAll(m_titlePath)));
    m_titleTaken = true;
    m_titleEncoding = decoded.encoding;
    return decoded.text;
}

QString ClipStore::takeBodyText()
{
    DecodedText decoded = TextBytes::decode(LineBreaks::normalise(ClipFiles::readAll(m_bodyPath)));
    m_bodyTaken = true;
    m_bodyEncoding = decoded.encoding;
    return decoded.text;
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
    if (!m_titleTaken || !ClipFiles::exists(m_titlePath))
        return;
    EncodedText encoded = TextBytes::encode(text, m_titleEncoding);
    ClipFiles::writeAll(m_titlePath, encoded.bytes);
    m_titleEncoding = encoded.encoding;
}

void ClipStore::saveBody(const QString& text)
{
    if (!m_bodyTaken || !ClipFiles::exists(m_bodyPath))
        return;
    EncodedText encoded = TextBytes::encode(text, m_bodyEncoding);
    ClipFiles::writeAll(m_bodyPath, encoded.bytes);
    m_bodyEncoding = encoded.encoding;
}

bool ClipStore::bodyPresent() const
{
    return !m_bodyPath.isEmpty() && ClipFiles::exists(m_bodyPath);
}

void ClipStore::clearCurrentPaths()
{
    movePaths(QByteArray(), QByteArray());
}

void ClipStore::movePaths(const QByteArray& titlePath, const QByteArray& bodyPath)
{
    m_titlePath = titlePath;
    m_bodyPath = bodyPath;
    m_titleTaken = false;
    m_bodyTaken = false;
}
