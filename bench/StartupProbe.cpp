// The program's own start-up, ended at the main window's first paint, which it reports on
// stdout: the benchmark times launches of it from process start.
#include "FirstPaintReporter.h"
#include "SnipwellApplication.h"
#include "StartUp.h"
#include "TForm1.h"

int main(int argc, char* argv[])
{
    SnipwellApplication application(argc, argv);
    FirstPaintReporter watcher([](QObject* watched) { return qobject_cast<TForm1*>(watched) != nullptr; });
    application.installEventFilter(&watcher);
    return runSnipwell(application);
}
