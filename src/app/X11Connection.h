#pragma once

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

struct xcb_connection_t;

// The program's connection to its X server; null when it runs on another platform.
inline xcb_connection_t* x11Connection()
{
    if (QGuiApplication::platformName() != QLatin1StringView("xcb"))
        return nullptr;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}
