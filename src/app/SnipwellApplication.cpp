#include "SnipwellApplication.h"

#include "HandlerGuard.h"

SnipwellApplication::SnipwellApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool SnipwellApplication::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    runGuarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
