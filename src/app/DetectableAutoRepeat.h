#pragma once

// On X11, asks the server to report a held key as presses followed by one release, so that the
// editors save once when the key comes up (QKeyEvent::isAutoRepeat() is unreliable otherwise).
// Does nothing on other platforms.
void enableDetectableAutoRepeat();
