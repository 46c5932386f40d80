# CPack: on Linux a Debian package of the installation (/usr/bin/linkstart, /usr/lib/linkstart,
# the manual page and the example override file), on Windows a ZIP of the program folder. Both
# carry the file version as their version. Build them with `cpack` in a build folder, or with
# scripts/package.sh.
set(CPACK_PACKAGE_NAME linkstart)
set(CPACK_PACKAGE_VENDOR Korvo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "start-up program of the accounting suite's data-linkage component")
set(CPACK_PACKAGE_DESCRIPTION
    "linkstart configures the process's logging (Apache log4cxx) from an administrator's override file or from a configuration it writes itself, then activates the suite's application object AppRun through COM without registration and exits with its result. The package carries a stand-in of the suite's component KLinkUI.dll.")
# One package of everything installed: the components program and standin (tests and fixtures
# have no install rules).

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  # One folder in the archive, named after the package: unpacked, it is the program folder.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEB_COMPONENT_INSTALL OFF)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Korvo data-linkage team <datalink@korvo.invalid>")
  set(CPACK_DEBIAN_PACKAGE_SECTION misc)
  # The libraries the program and the component link (log4cxx, the C++ runtime, expat, ...)
  # become Depends through dpkg-shlibdeps. GTK is opened only when an error box is shown on a
  # display, and Japanese text needs a CJK font there: both are recommended, not required.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgtk-3-0, fonts-noto-cjk")
  set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebWithoutLdconfig.cmake)
endif()
include(CPack)
