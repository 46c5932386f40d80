# CPack post-build script (CPACK_POST_BUILD_SCRIPTS): takes the ldconfig calls out of the .deb.
#
# CPack gives a package postinst and postrm scripts that run ldconfig whenever it holds a shared
# object under /usr/lib, which the stand-in component /usr/lib/linkstart/KLinkUI.dll is. The
# component is loaded by its path, so ldconfig has nothing to do for it; and a package with a
# postrm keeps its dpkg records after `dpkg -r` (until a purge), so removal would leave files
# behind. The package is unpacked, the two scripts removed and the package built again.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.deb$")
    continue()
  endif()
  set(tree ${package}.tree)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND dpkg-deb -R ${package} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE ${tree}/DEBIAN/postinst ${tree}/DEBIAN/postrm)
  execute_process(COMMAND dpkg-deb --root-owner-group -b ${tree} ${package}
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${tree})
endforeach()
