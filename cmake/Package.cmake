# The Debian package: `cpack -G DEB` in the build folder makes vantle_<version>_<arch>.deb of everything
# cmake/Install.cmake installs, under /usr. dpkg-shlibdeps finds the libraries the programs link (the
# platform's own, in lib/vantle, are the package's); what they open or run at run time is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantle)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Vantle")
set(CPACK_PACKAGE_CONTACT "Vantle developers <vantle@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "notification history on a simulated phone, and the desktop's notification server")
set(CPACK_PACKAGE_DESCRIPTION
  "Vantle keeps a log of every notification a simulated phone's home-screen shell shows and lets you read it
again in a pull-down panel. Installed, it also serves the desktop's notifications (org.freedesktop.Notifications),
started on demand by the session bus, and vantlectl lists, counts and clears the history.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The build keeps its debug information; the package does without it.
set(CPACK_STRIP_FILES TRUE)
# The fonts the screens are drawn with, and the session bus the shell lives on.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "dbus, fontconfig, fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libnotify-bin")
set(CPACK_DEBIAN_PACKAGE_PROVIDES "notification-daemon")
include(CPack)
