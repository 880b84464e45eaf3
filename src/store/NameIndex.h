#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>

#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <vector>

// Finding a name in a folder without regard to letter case, cheaply in a folder of 100,000 files:
// a folder's names are read once and remembered while its time stamps show no change.
namespace NameIndex {

// A name's form for comparing without regard to letter case (TextBytes::foldedName); ASCII
// names fold here directly.
QByteArray foldName(QByteArrayView name);

// "*" matches any run of characters, "?" exactly one; both sides are folded names, so valid UTF-8
// (what else they hold is outside what the matcher answers for), and a character is a UTF-8
// sequence.
bool wildcardMatch(QByteArrayView pattern, QByteArrayView text);

// Many names with their folded forms and entry types, kept in a few blocks rather than two
// strings each, so that a large folder is read in little more time than the listing takes.
class NameTable
{
public:
    void add(QByteArrayView name, unsigned char type);

    qsizetype size() const { return qsizetype(m_spans.size()); }
    QByteArrayView name(qsizetype i) const;
    QByteArrayView folded(qsizetype i) const;
    unsigned char type(qsizetype i) const { return m_spans[size_t(i)].type; } // dirent's d_type

private:
    struct Span
    {
        qsizetype name;
        qsizetype nameLength;
        qsizetype folded;
        qsizetype foldedLength;
        unsigned char type;
    };
    QByteArray m_names;
    QByteArray m_folded;
    std::vector<Span> m_spans;
};

// One folder's names as read at one moment.
class Listing
{
public:
    const NameTable& names() const { return m_names; }

    // Keeps the listing as its folder's, first among the folders asked about last.
    static void remember(std::shared_ptr<Listing> listing);

    // Whether the listing is of the folder with this status.
    bool isOf(const struct stat& status) const;
    // Whether it still stands for that folder: not changed since it was read, and read late
    // enough that a change would show (or read just now).
    bool describes(const struct stat& status) const;

    // Whether the name is in the listing as it is.
    bool holds(QByteArrayView name) const;
    // The first name in byte order among those that fold like name; empty when none does.
    QByteArray firstCaseMatch(QByteArrayView name) const;
    // The first name in byte order that the pattern matches, in either encoding; empty if none.
    QByteArray firstPatternMatch(QByteArrayView pattern);

private:
    friend class Reader;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    long long m_modified = 0;
    long long m_changed = 0;
    // Whether a change after the read would show in the folder's time stamps, and until when
    // (0: for as long as they stay the same).
    bool m_trusted = false;
    long long m_expires = 0;
    long long m_readEnd = 0;
    NameTable m_names;
    // Per folded name, 1 + the entry of its first name in byte order; built on the first lookups
    // that a scan would make dear.
    mutable QHash<QByteArrayView, qsizetype> m_firstByFoldedName;
    mutable int m_scans = 0;
    // For patterns, built on first use: those first names, in byte order.
    std::vector<qsizetype> m_byteOrder;
    bool m_sorted = false;

    void buildTable() const;
};

// Reads a folder's names; what it read becomes the folder's remembered listing. The folder's
// list of body files reads the folder through it, so that the names it reads serve the
// case-insensitive lookups that follow.
class Reader
{
public:
    // Starts reading; valid() is false when the folder cannot be read.
    explicit Reader(const QByteArray& directory);
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    bool valid() const { return m_dir != nullptr; }
    int directoryDescriptor() const;
    // The next entry ("." and ".." skipped) added to the listing, or false at the end.
    bool next(QByteArrayView& name, unsigned char& type);
    // Remembers the listing for the folder and hands it out.
    std::shared_ptr<Listing> finish();

private:
    DIR* m_dir = nullptr;
    std::shared_ptr<Listing> m_listing;
};

// The folder's listing: remembered, or read afresh when the folder changed since. Null when the
// folder cannot be read.
std::shared_ptr<Listing> listing(const QByteArray& directory);

} // namespace NameIndex
