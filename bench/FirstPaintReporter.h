#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <cstdio>
#include <functional>

// Ends a start-up probe at the first paint of the window it waits for, reporting it on stdout
// so that the benchmark can time the launch from process start.
class FirstPaintReporter : public QObject
{
public:
    explicit FirstPaintReporter(std::function<bool(QObject*)> isWatchedWindow)
        : m_isWatchedWindow(std::move(isWatchedWindow))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_seen && m_isWatchedWindow(watched)) {
            m_seen = true;
            std::fputs("painted\n", stdout);
            std::fflush(stdout);
            QCoreApplication::exit(0);
        }
        return false;
    }

private:
    std::function<bool(QObject*)> m_isWatchedWindow;
    bool m_seen = false;
};
