# The Debian package: `cpack -G DEB` in the build folder (or the `package`
# target) makes one package of everything `cmake --install` places, for
# /usr. Its dependencies come from dpkg-shlibdeps, which reads what every
# binary links; the package's own libraries are found through their
# RUNPATHs. The only maintainer scripts are CPack's ldconfig calls, which the
# public libraries in the library folder need.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME gly)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "GLY developers <gly@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "printer font and resource manager, and the tessel library")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "GLY finds network printers over SNMP, shows and deletes the fonts they\n"
  "hold, prints font reports, and downloads fonts, macros, forms and print\n"
  "files to many printers at once over LPR, converting TrueType fonts to\n"
  "Type 1 and PCL on the way.\n"
  "\n"
  "The package also holds libtessel, a message-oriented transport layer and\n"
  "runtime services library, with its headers and pkg-config file.")
string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The shlibs file names the public libraries only: the program's private
# ones (unversioned, in their own folder) are nobody else's to link.
set(gly_shlibs ${CMAKE_BINARY_DIR}/debian/shlibs)
file(WRITE ${gly_shlibs}
  "libtessel ${PROJECT_VERSION_MAJOR} gly (>= ${PROJECT_VERSION})\n"
  "libglyplatform ${PROJECT_VERSION_MAJOR} gly (>= ${PROJECT_VERSION})\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${gly_shlibs})
# Help opens in the desktop's browser.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
