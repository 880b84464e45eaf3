#include "ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

#include "ApplicationTitle.h"

namespace {

// The box belongs to the window the user works in, so that the window manager keeps it above
// a topmost main window.
QWidget* ownerWindow()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->isWindow())
            return widget;
    }
    return nullptr;
}

void showCritical(const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, ownerWindow());
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
