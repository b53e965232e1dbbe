# What `cmake --install` puts under the prefix, and so what the Debian package holds (cmake/Package.cmake):
#
#   bin/                            the programs
#   lib/vantle/                     the platform's shared libraries, the tweak library, the launcher, and
#                                   the staged preference bundles (vantle_preference_bundle), for vantle-device
#   share/vantle/                   the artwork tree, for vantle-device
#   share/man/man1/                 a page per program, made from its --help by help2man
#   share/dbus-1/services/          org.freedesktop.Notifications started on demand
#   lib/systemd/user/               the same as a systemd user unit
#   share/applications/, share/icons/   the menu entry and its icon
#   share/doc/vantle/               the README

set(VANTLE_PROGRAMS springboard preferences sbctl settingsctl vantle-device vantle-log vantle-post vantlectl toolkit-sample)
set(VANTLE_PROGRAM_SUMMARY_springboard "the Vantle shell, a simulated phone's home screen")
set(VANTLE_PROGRAM_SUMMARY_preferences "the Vantle Settings application")
set(VANTLE_PROGRAM_SUMMARY_sbctl "drive the running Vantle shell")
set(VANTLE_PROGRAM_SUMMARY_settingsctl "drive the running Vantle Settings application")
set(VANTLE_PROGRAM_SUMMARY_vantle-device "create or upgrade the simulated device the Vantle hosts run on")
set(VANTLE_PROGRAM_SUMMARY_vantle-log "print a Vantle device's notification log")
set(VANTLE_PROGRAM_SUMMARY_vantle-post "send a notification record to the running Vantle shell's log")
set(VANTLE_PROGRAM_SUMMARY_vantlectl "list, count, clear and delete the Vantle notification history, pause pop-ups")
set(VANTLE_PROGRAM_SUMMARY_toolkit-sample "render a sample screen of the Vantle view toolkit")

install(TARGETS ${VANTLE_PROGRAMS} RUNTIME DESTINATION bin)
set(_libraries Foundation UIKit Substrate SpringBoard Activator Preferences Vantle)
install(TARGETS ${_libraries} LIBRARY DESTINATION "${VANTLE_INSTALL_LIBDIR}")
# On the device the tweak (and a bundle) finds the platform's libraries already loaded by the host.
set_target_properties(${_libraries} PROPERTIES INSTALL_RPATH "$ORIGIN")
install(DIRECTORY "${VANTLE_ARTWORK_DIR}/" DESTINATION "${VANTLE_INSTALL_ARTWORK_DIR}")
install(FILES "${PROJECT_SOURCE_DIR}/README.md" DESTINATION share/doc/vantle)
install(FILES "${PROJECT_SOURCE_DIR}/resources/panel/Icon.svg" DESTINATION share/icons/hicolor/scalable/apps
  RENAME vantle.svg)
install(PROGRAMS "${PROJECT_SOURCE_DIR}/desktop/vantle-desktop-notifications" DESTINATION "${VANTLE_INSTALL_LIBDIR}")

# The bus, systemd and the menu start the launcher by its absolute path, known only at install time (the
# prefix of `cmake --install --prefix`, or /usr for the package).
set(_desktop_staged "${PROJECT_BINARY_DIR}/desktop-installed")
install(CODE "
  set(VANTLE_LAUNCHER \"\${CMAKE_INSTALL_PREFIX}/${VANTLE_INSTALL_LIBDIR}/vantle-desktop-notifications\")
  foreach(_file org.vantle.Notifications.service vantle.service vantle.desktop)
    configure_file(\"${PROJECT_SOURCE_DIR}/desktop/\${_file}.in\" \"${_desktop_staged}/\${_file}\" @ONLY)
  endforeach()
  file(INSTALL \"${_desktop_staged}/org.vantle.Notifications.service\"
    DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/dbus-1/services\")
  file(INSTALL \"${_desktop_staged}/vantle.service\" DESTINATION \"\${CMAKE_INSTALL_PREFIX}/lib/systemd/user\")
  file(INSTALL \"${_desktop_staged}/vantle.desktop\" DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/applications\")
")

# Man pages, from each program's --help and --version (VANTLE_MAN_PAGES, cmake/InstallLayout.cmake).
if(VANTLE_MAN_PAGES)
  find_program(HELP2MAN help2man REQUIRED)
  set(_pages)
  foreach(_program IN LISTS VANTLE_PROGRAMS)
    set(_page "${PROJECT_BINARY_DIR}/man/${_program}.1")
    # Installed compressed, as man pages are on Debian (gzip -n: no name or time stamp, so the same bytes
    # every build).
    add_custom_command(OUTPUT "${_page}.gz"
      COMMAND "${CMAKE_COMMAND}" -E make_directory "${PROJECT_BINARY_DIR}/man"
      # The device root's default is shown as under the reader's home, not the builder's.
      COMMAND env -u XDG_DATA_HOME HOME=~ "${HELP2MAN}" --no-info --name "${VANTLE_PROGRAM_SUMMARY_${_program}}" --output "${_page}"
              "$<TARGET_FILE:${_program}>"
      COMMAND gzip -9nf "${_page}"
      DEPENDS ${_program}
      COMMENT "Man page of ${_program}"
      VERBATIM)
    list(APPEND _pages "${_page}.gz")
  endforeach()
  add_custom_target(vantle_man_pages ALL DEPENDS ${_pages})
  install(FILES ${_pages} DESTINATION share/man/man1)
endif()
