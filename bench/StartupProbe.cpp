// The program's own start-up, ended at the main window's first paint, which it reports on
// stdout: the benchmark times launches of it from process start.
#include <QEvent>

#include "SnipwellApplication.h"
#include "StartUp.h"
#include "TForm1.h"

#include <cstdio>

namespace {

class FirstPaintOfMainWindow : public QObject
{
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_seen && qobject_cast<TForm1*>(watched)) {
            m_seen = true;
            std::fputs("painted\n", stdout);
            std::fflush(stdout);
            QCoreApplication::exit(0);
        }
        return false;
    }

private:
    bool m_seen = false;
};

} // namespace

int main(int argc, char* argv[])
{
    SnipwellApplication application(argc, argv);
    FirstPaintOfMainWindow watcher;
    application.installEventFilter(&watcher);
    return runSnipwell(application);
}
