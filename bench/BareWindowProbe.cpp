// A bare Qt window of the main window's size, ended at its first paint, which it reports on
// stdout: the floor of the start-up rows. With the argument "text" it holds one label, so that
// Qt's font system is set up as for any window that shows text.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QWidget>

#include <cstdio>

namespace {

class FirstPaint : public QObject
{
protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
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
    QApplication application(argc, argv);
    QWidget window;
    window.setFixedSize(321, 326);
    if (application.arguments().contains(QStringLiteral("text")))
        new QLabel(QStringLiteral("Snipwell 1.0"), &window);
    FirstPaint watcher;
    window.installEventFilter(&watcher);
    window.show();
    return application.exec();
}
