#pragma once

#include <QApplication>

// The application object. Its notify() is only a backstop: handlers catch their own errors
// through runGuarded().
class SnipwellApplication : public QApplication
{
    Q_OBJECT

public:
    SnipwellApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};
