# How KEYMEND is delivered: what `cmake --install` puts where, and the
# Debian package that `cpack -G DEB` makes from the same install rules.
#
#   bin/keymend, bin/nskfile                      (driver/, tools/)
#   share/man/man1/keymend.1, nskfile.1           (docs/man/)
#   share/bash-completion/completions/nskfile     (tools/completion/)
#
# The programs find everything they need at run time (the node directory) in
# the environment, so an installed copy works from any folder. The project's
# libraries are static; the only shared libraries are the host's (SQLite, the
# C and C++ runtimes), and the install rules drop the build tree's RPATH.
#
# The package installs under /usr. Its dependencies are not written by hand:
# dpkg-shlibdeps reads them off the programs, so the SQLite runtime
# (libsqlite3-0) and, in a sanitizer build, the sanitizer runtimes are
# declared with the versions the programs were linked against. The manual
# pages are gzip-compressed in the package only, as Debian expects; a plain
# `cmake --install` leaves them as they are in the source tree.

set(KEYMEND_MAN_PAGES
  ${PROJECT_SOURCE_DIR}/docs/man/keymend.1
  ${PROJECT_SOURCE_DIR}/docs/man/nskfile.1)
install(FILES ${KEYMEND_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# bash-completion loads a completion on first use from a file named after
# the command.
install(FILES ${PROJECT_SOURCE_DIR}/tools/completion/nskfile.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME nskfile)

# ---- The Debian package -------------------------------------------------------

set(KEYMEND_PACKAGE_CONTACT "KEYMEND maintainers <keymend@localhost>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME keymend)
set(CPACK_PACKAGE_VENDOR "KEYMEND")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KEYMEND_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "repair alternate-key file names in NonStop head file labels")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS bash-completion)
# The extended description. CPack puts the summary in front and indents the
# lines as the control file wants them; an empty line separates paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "KEYMEND visits the disk files that match a file-name template with extended
wild cards and, in each head file, moves every recorded alternate-key file
name to a new system, volume and subvolume, keeping its file id. It is the
repair after head files and their alternate-key files were restored to
another place.

It runs over an emulated Guardian node kept in an SQLite database; the
companion tool nskfile creates, restores, inspects and purges the node's
files.")

# Compresses the manual pages in the staging tree, after CPack has installed
# into it and before it builds the package. gzip -n keeps names and times out
# of the archive, so the same pages give the same bytes.
set(_keymend_compress_script ${PROJECT_BINARY_DIR}/cpack_compress_man_pages.cmake)
file(CONFIGURE OUTPUT ${_keymend_compress_script} @ONLY CONTENT [=[
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.1")
list(FILTER pages INCLUDE REGEX "/man/man1/[^/]+\\.1$")
foreach(page IN LISTS pages)
  execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot compress ${page}")
  endif()
endforeach()
]=])
set(CPACK_PRE_BUILD_SCRIPTS ${_keymend_compress_script})

# A source package is not made here; keep builds and Git out of one anyway.
set(CPACK_SOURCE_IGNORE_FILES "/build/" "/\\\\.git/")

include(CPack)
