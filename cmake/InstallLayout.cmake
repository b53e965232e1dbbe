# Where `cmake --install` and the Debian package put things under the prefix. The programs find the
# artwork, the tweak library and the preference bundles there when they run installed (see
# hosts/common/InstallLayout.h), so these paths are compiled into them.
set(VANTLE_INSTALL_LIBDIR "lib/vantle")
set(VANTLE_INSTALL_DATADIR "share/vantle")
set(VANTLE_INSTALL_ARTWORK_DIR "${VANTLE_INSTALL_DATADIR}/artwork")
# The bundles hold a shared library each, so they live with the libraries, not in share/.
set(VANTLE_INSTALL_PREFERENCE_BUNDLES_DIR "${VANTLE_INSTALL_LIBDIR}/preference-bundles")
set(VANTLE_INSTALL_TWEAK_LIBRARY "${VANTLE_INSTALL_LIBDIR}/libVantle.so")

# A man page per program, made at build time from its --help by help2man. The sanitizer presets leave them
# out: their programs may report at exit what a page must not contain.
option(VANTLE_MAN_PAGES "Make and install a man page per program (help2man)" ON)

# Installed programs load the platform's shared libraries from lib/vantle, wherever the prefix is; the
# libraries there find each other beside themselves.
set(CMAKE_INSTALL_RPATH "$ORIGIN/../${VANTLE_INSTALL_LIBDIR}")
