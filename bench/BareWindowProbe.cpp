// A bare Qt window of the main window's size, ended at its first paint, which it reports on
// stdout with its resident memory: the floor of the start-up and memory rows. With the argument
// "text" it holds one label, so that Qt's font system is set up as for any window that shows text.
#include <QApplication>
#include <QLabel>
#include <QWidget>

#include "FirstPaintReporter.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.setFixedSize(321, 326);
    if (application.arguments().contains(QStringLiteral("text")))
        new QLabel(QStringLiteral("Snipwell 1.0"), &window);
    FirstPaintReporter watcher([](QObject*) { return true; });
    window.installEventFilter(&watcher);
    window.show();
    return application.exec();
}
