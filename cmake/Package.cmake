# The Debian package: `cpack -G DEB` in the build folder packs what
# cmake/Install.cmake installs, below /usr, with the shared libraries it needs
# declared as dependencies (dpkg-shlibdeps, from dpkg-dev, finds them).
set(MERIVANE_PACKAGE_CONTACT "Merivane maintainers <maintainers@merivane.invalid>" CACHE STRING
  "Maintainer named in the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME merivane)
set(CPACK_PACKAGE_VENDOR "Merivane")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${MERIVANE_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure and maintain cellular routers attached by USB")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Merivane configures and maintains Varik cellular routers, gateways and vehicle trackers\n"
  "attached by a USB cable, over the modem port the device presents: status, mobile\n"
  "network and remote management settings, serial port, mesh radio, Python programs,\n"
  "firmware update, backup and restore. merivane is the desktop program, merivane-cli\n"
  "the command line. A udev rule lets the user at the desktop open the devices and keeps\n"
  "ModemManager away from them.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The package carries the programs without their debugging information.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${CMAKE_SOURCE_DIR}/packaging/debian/postinst
  ${CMAKE_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

include(CPack)
