#pragma once

#include <QAccessible>

class QWidget;

// What a screen reader is told about a window or control where Qt's generic answer misleads: a
// window that is not a plain filler, a label that acts as a link, a picture that closes its window
// at a click, controls that the compact window leaves outside its client area. Set while the
// widget is made, before a screen reader first asks for it.
namespace AccessibleRoles {

enum class Press { No, Yes };

// Announced with this role, and as hideWhenOutsideWindow() says. With Press::Yes a screen reader
// can also press it: a left click at its middle, made once the reader's request has been answered
// (the click may open a modal window).
void setRole(QWidget* widget, QAccessible::Role role, Press press = Press::No);

// Reported as neither showing nor visible while most of it lies outside its window's client
// area, yet still focusable by the program, as in the compact window.
void hideWhenOutsideWindow(QWidget* widget);

// Tells screen readers that the window's widgets set here may have come into view or gone out of
// it, after the window's height changed.
void announceVisibilityChanges(const QWidget* window);

} // namespace AccessibleRoles
