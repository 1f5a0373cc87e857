# The Debian package: cmake --build --preset default --target package
# leaves quarnel_1.00_amd64.deb in the build directory. It is made from
# the build's own prefix, which has to be /usr.
configure_file(packaging/conffiles.in ${CMAKE_CURRENT_BINARY_DIR}/packaging/conffiles @ONLY)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quarnel)
set(CPACK_PACKAGE_VERSION ${QUARNEL_VERSION_TEXT})
set(CPACK_PACKAGE_VENDOR "The Quarnel developers")
set(CPACK_PACKAGE_CONTACT "The Quarnel developers <developers@quarnel.invalid>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The program opens GTK at its first window rather than linking it, so the
# libraries' own dependencies leave it out.
if(QUARNEL_HAVE_GTK)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgtk-3-0 (>= 3.0.0)")
endif()
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [[
stage file to HTML page converter
Quarnel turns a stage file, a Shift_JIS text list of number grids, each a
title line followed by grid lines whose cells hold 0 to 3 or a blank, into
one HTML page. The page's markup comes from a template that the
administrator edits, /etc/quarnel/template.dat.

It runs in a terminal, or from the desktop with message boxes and an
open-file dialog (GTK 3).]])
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_BINARY_DIR}/packaging/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_SET_DESTDIR ON)
set(CPACK_QUARNEL_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_SOURCE_DIR}/packaging/cpack_checks.cmake)
include(CPack)
