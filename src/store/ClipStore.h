#pragma once

#include "TextBytes.h"

#include <QByteArray>
#include <QString>

#include <functional>

enum class OpenOutcome { NotFound, Found };
enum class CreateOutcome { AlreadyExists, Created, Failed };

// Where clips live on disk and how their two files are tested, read, written, created and
// deleted. Owns the current title path and current body path. Texts handed in and out are clip
// texts: lines separated by CR LF. Every operation asks the file system afresh.
class ClipStore
{
public:
    // Sets both current paths from the current directory and the name, then tests for the body
    // file. When the title file is missing, calls beforeCreatingTitle (the caller empties its
    // title line there) and creates it empty. Throws ClipError when that fails.
    OpenOutcome openClip(const QByteArray& clipName, const std::function<void()>& beforeCreatingTitle = {});

    // The texts of the clip found by openClip, read when taken: title first, then body.
    // Throws "Cannot open file %s". A text taken here may later be saved back to its path.
    QString takeTitleText();
    QString takeBodyText();

    // Creates an empty body file named clipName + ".txt" in the current directory. Names holding
    // a character Windows reserves (< > : " | ? * and control characters) are not created.
    CreateOutcome createClip(const QByteArray& clipName);

    // Deletes the body file and its title file (same path, extension ".hed"); clears the paths.
    void deleteClip(const QByteArray& bodyFilePath);

    // Write the text to the current path if a file exists there and the editor's text was read
    // from that path; otherwise do nothing. Throw ClipError when the write fails.
    void saveTitle(const QString& text);
    void saveBody(const QString& text);

    bool bodyPresent() const;
    void clearCurrentPaths();

    const QByteArray& currentTitlePath() const { return m_titlePath; }
    const QByteArray& currentBodyPath() const { return m_bodyPath; }

private:
    void movePaths(const QByteArray& titlePath, const QByteArray& bodyPath);

    QByteArray m_titlePath;
    QByteArray m_bodyPath;
    // A save goes only to the path its editor's text was read from (never the previous clip's
    // text into another clip's files); the encoding it was read in is the one it is saved in.
    bool m_titleTaken = false;
    bool m_bodyTaken = false;
    TextEncoding m_titleEncoding = TextEncoding::Utf8;
    TextEncoding m_bodyEncoding = TextEncoding::Utf8;
};
