# `make package`: a Debian package of what `make install` installs, as
# snipwell_<version>_<architecture>.deb in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME snipwell)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Snipwell developers <snipwell@example.org>" CACHE STRING
    "Maintainer of the Debian package: Name <address>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ready-made answers on the clipboard by their short names")
set(CPACK_PACKAGE_DESCRIPTION
    "Snipwell keeps the answers you give again and again as clips and puts any one
of them on the clipboard with a few keystrokes: type a clip's short name, press
Enter, and paste the whole text wherever you need it. Each clip is a pair of
plain text files, the text and a one-line title.")
# Debug information stays in the build; the package carries the stripped program.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries come from dpkg-shlibdeps. Besides them: the window's layout is measured in the
# fonts the program asks for by name, whose free stand-ins these two packages hold, and Qt only
# recommends the platform plugins without which no window can open.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wine, fonts-croscore, qt6-qpa-plugins")
# Where a Wayland session also runs XWayland, the program runs there and never loads Qt's Wayland
# plugin; only a session without an X server needs it, to open a window at all (a normal one, not
# topmost). So a recommendation: apt installs it by default, and an X11-only machine may go without.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")

include(CPack)
