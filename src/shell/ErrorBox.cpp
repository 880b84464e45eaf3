#include "ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

#include "ApplicationTitle.h"

namespace {

// A splash window frees itself after its second, and with it every child: a box it owned would
// be destroyed while still open.
bool canOwnBox(const QWidget* window)
{
    return window && window->windowType() != Qt::SplashScreen;
}

// The box belongs to the window the user works in, so that the window manager keeps it above
// a topmost main window.
QWidget* ownerWindow()
{
    if (QWidget* modal = QApplication::activeModalWidget(); canOwnBox(modal))
        return modal;
    if (QWidget* active = QApplication::activeWindow(); canOwnBox(active))
        return active;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->isWindow() && canOwnBox(widget))
            return widget;
    }
    return nullptr;
}

void showCritical(const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, ownerWindow());
    // A file name is shown as it is, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace

namespace ErrorBox {

QString textFor(const QString& message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + QLatin1Char('.');
    return message;
}

void show(const QString& message)
{
    showCritical(QString(kApplicationTitle), textFor(message));
}

void showApplicationError(const QString& kind, const QString& message)
{
    showCritical(QStringLiteral("Application Error"), QStringLiteral("%1\n\n%2").arg(kind, textFor(message)));
}

} // namespace ErrorBox
