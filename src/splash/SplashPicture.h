#pragma once

#include <QByteArray>

// The picture of the splash and About window: a progressive JPEG of 350 x 200 pixels compiled
// into the program (resources/splash.jpg), so nothing is read from disk at run time.
namespace SplashPicture {

// The bytes that every new window loads.
QByteArray bytes();

// Lets a test put other bytes (a broken picture) in place of the program's own for the windows
// made from then on; restore() puts the program's own back.
void replace(const QByteArray& bytes);
void restore();

} // namespace SplashPicture
