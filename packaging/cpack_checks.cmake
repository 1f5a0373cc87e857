# Read by cpack: the Debian package holds the paths the build was
# configured for, and a package installs under /usr.
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT CPACK_QUARNEL_INSTALL_PREFIX STREQUAL "/usr")
  message(FATAL_ERROR "The Debian package needs a build configured with "
                      "CMAKE_INSTALL_PREFIX=/usr (the default preset), not "
                      "${CPACK_QUARNEL_INSTALL_PREFIX}")
endif()
