#pragma once

#include <QByteArray>

// The program works in the folder it is started in. A desktop menu starts programs in the home
// folder, where clip files would mix with everything else, so the menu entry passes
// kFromMenuOption and the program moves to its own folder of clips first.
namespace MenuLaunch {

inline constexpr char kFromMenuOption[] = "--from-menu";
inline constexpr char kClipsFolderName[] = "Clips";

// The home folder: $HOME, or the password database's entry when HOME is unset or empty.
QByteArray homeFolder();

// Makes <home>/Clips when it does not exist yet and makes it the current directory. Returns the
// folder's path; throws ClipError when it cannot be made or entered (for example when a file
// already has that name).
QByteArray enterClipsFolder(const QByteArray& home);

} // namespace MenuLaunch
