#pragma once

#include <QLatin1StringView>

// The title of the task-bar entry, of the main window and of every error and notice box.
inline constexpr QLatin1StringView kApplicationTitle("Snipwell 1.0");
