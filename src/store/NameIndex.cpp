#include "NameIndex.h"

#include "TextBytes.h"

#include <sys/vfs.h>
#include <time.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace NameIndex {

namespace {

// On a file system whose time stamps come from the kernel's clock at full resolution, a folder
// whose last change is older than the moment its reading began shows any later change. Other
// file systems (FAT's two-second steps, network and FUSE file systems with clocks of their own,
// some of which never change a folder's times) get a margin of two seconds after the last
// change before a listing is trusted, and trust it for two seconds at most.
constexpr long long kCoarseMarginNs = 2'000'000'000LL;
constexpr size_t kMaxRememberedFolders = 8;
// A listing whose changes might not show yet still answers the lookups that follow its read
// within the same action (a refresh, then the nameless clip's test): a fresh read that soon
// would find what it found.
constexpr long long kJustReadNs = 100'000'000LL;
constexpr int kScansBeforeTable = 3;

bool keepsFineTimeStamps(const char* directory)
{
    struct statfs info;
    if (::statfs(directory, &info) != 0)
        return false;
    switch (static_cast<unsigned long>(info.f_type)) {
    case 0xEF53: // ext2, ext3, ext4
    case 0x58465342: // XFS
    case 0x9123683E: // Btrfs
    case 0x01021994: // tmpfs
    case 0xF2F52010: // F2FS
        return true;
    default:
        return false;
    }
}

long long nanoseconds(const timespec& t)
{
    return static_cast<long long>(t.tv_sec) * 1'000'000'000LL + t.tv_nsec;
}

long long coarseNow()
{
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return nanoseconds(now);
}

void appendFolded(QByteArray& out, QByteArrayView name)
{
    bool ascii = true;
    for (const char c : name)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (!ascii) {
        out += TextBytes::foldedName(name);
        return;
    }
    const qsizetype start = out.size();
    out.append(name);
    for (char* c = out.data() + start; c < out.data() + out.size(); ++c) {
        if (*c >= 'A' && *c <= 'Z')
            *c = char(*c + ('a' - 'A'));
    }
}

// The folders asked about last, most recent first: the clip folder, and a few others that
// names with a "/" reach. Known by their identity, so that "." and the folder's path share one.
std::vector<std::shared_ptr<Listing>>& remembered()
{
    static std::vector<std::shared_ptr<Listing>> folders;
    return folders;
}

} // namespace

QByteArray foldName(QByteArrayView name)
{
    QByteArray folded;
    appendFolded(folded, name);
    return folded;
}

bool wildcardMatch(QByteArrayView pattern, QByteArrayView text)
{
    const auto nextChar = [end = text.end()](const char* p) {
        ++p;
        while (p < end && (static_cast<unsigned char>(*p) & 0xC0) == 0x80)
            ++p;
        return p;
    };
    const char* p = pattern.begin();
    const char* t = text.begin();
    const char* starPattern = nullptr;
    const char* starText = nullptr;
    while (t < text.end()) {
        if (p < pattern.end() && *p == '*') {
            starPattern = ++p;
            starText = t;
        } else if (p < pattern.end() && *p == '?') {
            ++p;
            t = nextChar(t);
        } else if (p < pattern.end() && *p == *t) {
            ++p;
            ++t;
        } else if (starPattern) {
            p = starPattern;
            starText = nextChar(starText);
            t = starText;
        } else {
            return false;
        }
    }
    while (p < pattern.end() && *p == '*')
        ++p;
    return p == pattern.end();
}

void NameTable::add(QByteArrayView name, unsigned char type)
{
    Span span { m_names.size(), name.size(), m_folded.size(), 0, type };
    m_names.append(name);
    appendFolded(m_folded, name);
    span.foldedLength = m_folded.size() - span.folded;
    m_spans.push_back(span);
}

QByteArrayView NameTable::name(qsizetype i) const
{
    const Span& span = m_spans[size_t(i)];
    return QByteArrayView(m_names.constData() + span.name, span.nameLength);
}

QByteArrayView NameTable::folded(qsizetype i) const
{
    const Span& span = m_spans[size_t(i)];
    return QByteArrayView(m_folded.constData() + span.folded, span.foldedLength);
}

bool Listing::holds(QByteArrayView name) const
{
    if (!m_firstByFoldedName.isEmpty() && firstCaseMatch(name) == name)
        return true;
    // Asked only at an opening in a folder that ignores case or holds case twins: one scan.
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        if (m_names.name(i) == name)
            return true;
    }
    return false;
}

QByteArray Listing::firstCaseMatch(QByteArrayView name) const
{
    const QByteArray folded = foldName(name);
    // A listing just read is mostly asked once or twice (the nameless clip after a refresh):
    // a scan costs less than building the table for 100,000 names, which later lookups get.
    if (m_firstByFoldedName.isEmpty() && ++m_scans <= kScansBeforeTable) {
        qsizetype first = -1;
        for (qsizetype i = 0; i < m_names.size(); ++i) {
            if (m_names.folded(i) == folded && (first < 0 || m_names.name(i) < m_names.name(first)))
                first = i;
        }
        return first < 0 ? QByteArray() : m_names.name(first).toByteArray();
    }
    buildTable();
    const qsizetype first = m_firstByFoldedName.value(folded);
    return first > 0 ? m_names.name(first - 1).toByteArray() : QByteArray();
}

void Listing::buildTable() const
{
    if (!m_firstByFoldedName.isEmpty() || m_names.size() == 0)
        return;
    m_firstByFoldedName.reserve(m_names.size());
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        qsizetype& first = m_firstByFoldedName[m_names.folded(i)];
        if (first == 0 || m_names.name(i) < m_names.name(first - 1))
            first = i + 1;
    }
}

QByteArray Listing::firstPatternMatch(QByteArrayView pattern)
{
    if (!m_sorted) {
        buildTable();
        m_byteOrder.reserve(size_t(m_firstByFoldedName.size()));
        for (const qsizetype first : std::as_const(m_firstByFoldedName))
            m_byteOrder.push_back(first - 1);
        std::sort(m_byteOrder.begin(), m_byteOrder.end(),
                  [&](qsizetype a, qsizetype b) { return m_names.name(a) < m_names.name(b); });
        m_sorted = true;
    }
    // A pattern matches names by what they read as, in either encoding.
    const auto unmarked
        = [](QByteArrayView folded) { return TextBytes::isWindows1252Folded(folded) ? folded.chopped(1) : folded; };
    const QByteArray foldedPattern = foldName(pattern);
    for (const qsizetype i : m_byteOrder) {
        if (wildcardMatch(unmarked(foldedPattern), unmarked(m_names.folded(i))))
            return m_names.name(i).toByteArray();
    }
    return QByteArray();
}

bool Listing::isOf(const struct stat& status) const
{
    return m_device == status.st_dev && m_inode == status.st_ino;
}

bool Listing::describes(const struct stat& status) const
{
    if (!isOf(status) || m_modified != nanoseconds(status.st_mtim) || m_changed != nanoseconds(status.st_ctim))
        return false;
    const long long now = coarseNow();
    if (now < m_readEnd + kJustReadNs)
        return true;
    return m_trusted && (m_expires == 0 || now < m_expires);
}

void Listing::remember(std::shared_ptr<Listing> listing)
{
    auto& folders = remembered();
    const auto it = std::find_if(folders.begin(), folders.end(), [&](const auto& other) {
        return other->m_device == listing->m_device && other->m_inode == listing->m_inode;
    });
    if (it != folders.end())
        folders.erase(it);
    else if (folders.size() >= kMaxRememberedFolders)
        folders.pop_back();
    folders.insert(folders.begin(), std::move(listing));
}

Reader::Reader(const QByteArray& directory)
{
    // The clock before the folder's status: a change after this moment shows in its time stamps.
    const long long start = coarseNow();
    struct stat status;
    if (::stat(directory.constData(), &status) != 0 || !S_ISDIR(status.st_mode))
        return;
    m_dir = ::opendir(directory.constData());
    if (!m_dir)
        return;
    m_listing = std::make_shared<Listing>();
    m_listing->m_device = status.st_dev;
    m_listing->m_inode = status.st_ino;
    m_listing->m_modified = nanoseconds(status.st_mtim);
    m_listing->m_changed = nanoseconds(status.st_ctim);
    const long long lastChange = std::max(m_listing->m_modified, m_listing->m_changed);
    const bool fine = keepsFineTimeStamps(directory.constData());
    m_listing->m_trusted = lastChange + (fine ? 0 : kCoarseMarginNs) < start;
    m_listing->m_expires = fine ? 0 : start + kCoarseMarginNs;
}

Reader::~Reader()
{
    if (m_dir)
        ::closedir(m_dir);
}

int Reader::directoryDescriptor() const
{
    return ::dirfd(m_dir);
}

bool Reader::next(QByteArrayView& name, unsigned char& type)
{
    while (const dirent* entry = ::readdir(m_dir)) {
        const char* n = entry->d_name;
        if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0')))
            continue;
        name = QByteArrayView(n, qsizetype(std::strlen(n)));
        type = entry->d_type;
        m_listing->m_names.add(name, type);
        return true;
    }
    return false;
}

std::shared_ptr<Listing> Reader::finish()
{
    if (!m_listing)
        return nullptr;
    ::closedir(m_dir);
    m_dir = nullptr;
    m_listing->m_readEnd = coarseNow();
    Listing::remember(m_listing);
    return std::move(m_listing);
}

std::shared_ptr<Listing> listing(const QByteArray& directory)
{
    struct stat status;
    if (::stat(directory.constData(), &status) != 0 || !S_ISDIR(status.st_mode))
        return nullptr;
    const auto& folders = remembered();
    const auto it = std::find_if(folders.begin(), folders.end(), [&](const auto& known) { return known->isOf(status); });
    if (it != folders.end() && (*it)->describes(status)) {
        std::shared_ptr<Listing> found = *it;
        Listing::remember(found);
        return found;
    }
    Reader reader(directory);
    if (!reader.valid())
        return nullptr;
    QByteArrayView name;
    unsigned char type;
    while (reader.next(name, type)) {
    }
    return reader.finish();
}

} // namespace NameIndex
