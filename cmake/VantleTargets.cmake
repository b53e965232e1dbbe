# Warnings are errors everywhere.
add_compile_options(-Wall -Wextra -Werror)
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  # Hook replacements keep their "$Class$selector" names; clang warns about '$' under -Wextra.
  add_compile_options(-Wno-dollar-in-identifier-extension -Wthread-safety)
endif()

# A library made of every source in one folder (not recursive), one header per class beside it.
# Usage: vantle_library(NAME <target> DIR <folder> [SHARED|STATIC] LIBS <deps...>)
function(vantle_library)
  cmake_parse_arguments(ARG "SHARED;STATIC" "NAME;DIR" "LIBS;EXTRA_SOURCES;DEFINES" ${ARGN})
  file(GLOB _sources CONFIGURE_DEPENDS "${ARG_DIR}/*.cpp")
  if(NOT _sources AND NOT ARG_EXTRA_SOURCES)
    # A layer with headers only so far: dependents still see its include folder.
    add_library(${ARG_NAME} INTERFACE)
    target_include_directories(${ARG_NAME} INTERFACE "${ARG_DIR}")
    target_link_libraries(${ARG_NAME} INTERFACE ${ARG_LIBS})
    return()
  endif()
  if(ARG_STATIC)
    add_library(${ARG_NAME} STATIC ${_sources} ${ARG_EXTRA_SOURCES})
  else()
    add_library(${ARG_NAME} SHARED ${_sources} ${ARG_EXTRA_SOURCES})
  endif()
  target_include_directories(${ARG_NAME} PUBLIC "${ARG_DIR}")
  target_link_libraries(${ARG_NAME} PUBLIC ${ARG_LIBS})
  if(ARG_DEFINES)
    target_compile_definitions(${ARG_NAME} PRIVATE ${ARG_DEFINES})
  endif()
endfunction()

# One GoogleTest executable per test folder (recursive), registered as one ctest test.
# Usage: vantle_test(NAME <target> DIR <folder> LIBS <deps...> [LABELS ...])
function(vantle_test)
  cmake_parse_arguments(ARG "" "NAME;DIR" "LIBS;LABELS;EXTRA_SOURCES" ${ARGN})
  file(GLOB_RECURSE _sources CONFIGURE_DEPENDS "${ARG_DIR}/*.cpp")
  if(NOT _sources)
    return()
  endif()
  add_executable(${ARG_NAME} ${_sources} ${ARG_EXTRA_SOURCES})
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${ARG_NAME} PRIVATE "${PROJECT_SOURCE_DIR}/tests/support")
  target_compile_definitions(${ARG_NAME} PRIVATE
    VANTLE_SOURCE_DIR="${PROJECT_SOURCE_DIR}" VANTLE_BINARY_DIR="${PROJECT_BINARY_DIR}")
  add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME} --gtest_brief=1)
  if(ARG_LABELS)
    set_tests_properties(${ARG_NAME} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()

# Where the build stages the preference bundles for `vantle-device install`, shaped like a device root.
set(VANTLE_PREFERENCE_BUNDLES_DIR "${PROJECT_BINARY_DIR}/preference-bundles")

# A preference bundle for the Settings application, staged for `vantle-device install`: the shared library
# TARGET as System/Library/PreferenceBundles/<NAME>.bundle/<NAME> (the name it keeps on the device), the
# RESOURCES (Info.plist, specifier files, images) beside it, and ENTRY (a property list with an "entry"
# dictionary) as Library/PreferenceLoader/Preferences/<NAME>.plist. vantle-device then depends on it. The
# library TARGET is named <NAME> in the build too, and the same tree is installed (cmake/Install.cmake).
# Usage: vantle_preference_bundle(NAME <Name> TARGET <library> ENTRY <file> RESOURCES <files...>)
function(vantle_preference_bundle)
  cmake_parse_arguments(ARG "" "NAME;TARGET;ENTRY" "RESOURCES" ${ARGN})
  set(_bundle "${VANTLE_PREFERENCE_BUNDLES_DIR}/System/Library/PreferenceBundles/${ARG_NAME}.bundle")
  set(_entries "${VANTLE_PREFERENCE_BUNDLES_DIR}/Library/PreferenceLoader/Preferences")
  set(_stamp "${CMAKE_CURRENT_BINARY_DIR}/${ARG_NAME}.staged")
  add_custom_command(OUTPUT "${_stamp}"
    COMMAND "${CMAKE_COMMAND}" -E rm -rf "${_bundle}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${_bundle}" "${_entries}"
    COMMAND "${CMAKE_COMMAND}" -E copy "$<TARGET_FILE:${ARG_TARGET}>" "${_bundle}/${ARG_NAME}"
    COMMAND "${CMAKE_COMMAND}" -E copy ${ARG_RESOURCES} "${_bundle}/"
    COMMAND "${CMAKE_COMMAND}" -E copy "${ARG_ENTRY}" "${_entries}/${ARG_NAME}.plist"
    COMMAND "${CMAKE_COMMAND}" -E touch "${_stamp}"
    DEPENDS ${ARG_TARGET} ${ARG_RESOURCES} ${ARG_ENTRY}
    VERBATIM)
  add_custom_target(${ARG_NAME}_staged ALL DEPENDS "${_stamp}")
  # Installed the same shape under the prefix, where an installed vantle-device finds it.
  set(_installed "${VANTLE_INSTALL_PREFERENCE_BUNDLES_DIR}")
  set_target_properties(${ARG_TARGET} PROPERTIES PREFIX "" SUFFIX "" OUTPUT_NAME "${ARG_NAME}" INSTALL_RPATH "")
  install(TARGETS ${ARG_TARGET} LIBRARY DESTINATION "${_installed}/System/Library/PreferenceBundles/${ARG_NAME}.bundle")
  install(FILES ${ARG_RESOURCES} DESTINATION "${_installed}/System/Library/PreferenceBundles/${ARG_NAME}.bundle")
  install(FILES "${ARG_ENTRY}" DESTINATION "${_installed}/Library/PreferenceLoader/Preferences" RENAME "${ARG_NAME}.plist")
  # vantle-device may be defined after the bundle; tie them once every folder has been read (the name is
  # put into the deferred call now, as a deferred call reads its variables only when it runs).
  cmake_language(EVAL CODE
    "cmake_language(DEFER DIRECTORY \"${PROJECT_SOURCE_DIR}\" CALL add_dependencies vantle-device ${ARG_NAME}_staged)")
endfunction()
