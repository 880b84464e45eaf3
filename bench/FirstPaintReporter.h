#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <functional>

// Ends a start-up probe at the first paint of the window it waits for, reporting it on stdout
// ("painted") so that the benchmark can time the launch from process start, then the probe's
// resident memory at that moment ("memory ..."). A probe that goes on after the first paint
// passes what it does then; it ends the probe itself.
class FirstPaintReporter : public QObject
{
public:
    explicit FirstPaintReporter(std::function<bool(QObject*)> isWatchedWindow,
                                std::function<void(QObject*)> afterPaint = {})
        : m_isWatchedWindow(std::move(isWatchedWindow))
        , m_afterPaint(std::move(afterPaint))
    {
    }

    // "<label> <VmRSS> <VmHWM>" in KiB from /proc/self/status: resident now and at its peak.
    // Plain stdio, so that reporting allocates nothing worth counting.
    static void reportMemory(const char* label)
    {
        long resident = -1;
        long peak = -1;
        if (FILE* status = std::fopen("/proc/self/status", "r")) {
            char line[256];
            while (std::fgets(line, sizeof line, status)) {
                if (std::strncmp(line, "VmRSS:", 6) == 0)
                    std::sscanf(line + 6, "%ld", &resident);
                else if (std::strncmp(line, "VmHWM:", 6) == 0)
                    std::sscanf(line + 6, "%ld", &peak);
            }
            std::fclose(status);
        }
        std::printf("%s %ld %ld\n", label, resident, peak);
        std::fflush(stdout);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_seen && m_isWatchedWindow(watched)) {
            m_seen = true;
            std::fputs("painted\n", stdout);
            std::fflush(stdout);
            reportMemory("memory");
            if (m_afterPaint)
                QTimer::singleShot(0, watched, [this, watched] { m_afterPaint(watched); });
            else
                QCoreApplication::exit(0);
        }
        return false;
    }

private:
    std::function<bool(QObject*)> m_isWatchedWindow;
    std::function<void(QObject*)> m_afterPaint;
    bool m_seen = false;
};
