#pragma once

#include "TextBytes.h"

#include <QByteArray>
#include <QString>

#include <functional>

// The longest clip text, in characters (CR LF counts two), that the editors take: a longer one
// would keep them from responding.
inline constexpr qsizetype kClipTextCapacity = 4 * 1024 * 1024;

enum class OpenOutcome { NotFound, Found };
enum class CreateOutcome { AlreadyExists, Created, Failed };

// Where clips live on disk and how their two files are tested, read, written, created and
// deleted. Owns the current title path and current body path. Texts handed in and out are clip
// texts: lines separated by CR LF. Every operation asks the file system afresh.
class ClipStore
{
public:
    // The clip name a name typed by the user stands for: its UTF-8 bytes, unless no body file
    // has that name in the current directory and one written by a Windows-1252 system does.
    static QByteArray typedClipName(const QString& typed);

    // Sets both current paths from the current directory and the name, then tests for the body
    // file. When the title file is missing, calls beforeCreatingTitle (the caller empties its
    // title line there) and creates it empty. Throws ClipError when that fails.
    OpenOutcome openClip(const QByteArray& clipName, const std::function<void()>& beforeCreatingTitle = {});

    // The texts of the clip found by openClip, read when taken: title first, then body.
    // Throws "Cannot open file %s", and "Text exceeds memo capacity" for a file too large for
    // kClipTextCapacity characters in any encoding, before reading it. A text taken here may
    // later be saved back to its path, under the file's name as spelt on disk then.
    QString takeTitleText();
    QString takeBodyText();

    // Creates an empty body file named clipName + ".txt" in the current directory. Names holding
    // a character Windows reserves (< > : " | ? * and control characters) are not created.
    CreateOutcome createClip(const QByteArray& clipName);

    // Deletes the body file and its title file (same path, extension ".hed"); clears the paths.
    void deleteClip(const QByteArray& bodyFilePath);

    // Write the text to the current path if a file exists there and the editor's text was read
    // from that path; otherwise do nothing. Throw ClipError when the write fails, and "Cannot
    // create file %s" for a file whose text was cut at a zero character (the rest would be lost).
    void saveTitle(const QString& text);
    void saveBody(const QString& text);

    bool bodyPresent() const;
    void clearCurrentPaths();

    const QByteArray& currentTitlePath() const { return m_title.path; }
    const QByteArray& currentBodyPath() const { return m_body.path; }

private:
    // One of the clip's two files.
    struct ClipFile
    {
        QByteArray path; // as built from the directory and the clip name
        // The name as spelt on disk when the text was taken; saves and tests use it while a
        // file is there, so that they never read the folder and keep the name's letter case.
        QByteArray onDisk;
        // A save goes only to the path its editor's text was read from (never the previous
        // clip's text into another clip's files), in the encoding it was read in.
        bool taken = false;
        bool cut = false; // the text taken is not all of the file
        TextEncoding encoding = TextEncoding::Utf8;

        const QByteArray& current() const { return onDisk.isEmpty() ? path : onDisk; }
    };

    static QString take(ClipFile& file);
    static void save(ClipFile& file, const QString& text);
    void movePaths(const QByteArray& titlePath, const QByteArray& bodyPath);

    ClipFile m_title;
    ClipFile m_body;
};
