// Opens one clip in the current directory as the window does (open, take title, take body) and
// reports on stdout the resident memory just before it and the peak while it ran:
// "<resident bytes> <peak bytes> <body characters, or the error's message>". A fresh process, so
// that the peak is the opening's alone, whatever the benchmark that launches it holds.
#include "ClipError.h"
#include "ClipStore.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A field of /proc/self/status (VmRSS, VmHWM), in bytes.
long long statusBytes(const char* field)
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return 0;
    const size_t length = std::strlen(field);
    char line[256];
    long long kib = 0;
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, field, length) == 0 && line[length] == ':')
            kib = std::atoll(line + length + 1);
    }
    std::fclose(status);
    return kib * 1024;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fputs("usage: snipwell-open-probe CLIP\n", stderr);
        return 2;
    }
    // The loader's own peak is no part of the opening: start the high-water mark afresh.
    if (std::FILE* clear = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", clear);
        std::fclose(clear);
    }
    const long long before = statusBytes("VmRSS");
    QByteArray outcome;
    try {
        ClipStore store;
        store.openClip(argv[1]);
        store.takeTitleText();
        outcome = QByteArray::number(store.takeBodyText().size());
    } catch (const ClipError& error) {
        outcome = error.what();
    }
    const long long peak = statusBytes("VmHWM");
    std::printf("%lld %lld %s\n", before, peak, outcome.constData());
    return 0;
}
