# The Debian package of the program, made by CPack from the install rules:
#
#   cmake --build build --target package    ->  build/quillprint_1.30-1_amd64.deb
#
# It holds quillprint and quilltable, the help file, the desktop entry and
# icon, the manual pages and the copyright file, all under /usr. Its
# dependencies are what dpkg-shlibdeps finds the two programs linked with
# (libc, libstdc++, Qt's core, gui, widgets and print support, which bring
# the X11 platform plugin and CUPS), and fonts-liberation: the check's
# "Ariel" and the window's fonts are drawn with Liberation Sans.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillprint)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillprint")
set(QP_PACKAGE_MAINTAINER
    "Quillprint maintainers <maintainers@users.noreply.c-seed-baa8deed.example>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${QP_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QP_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "write and print bank checks on plain paper")
# The extended description; CPack indents its lines and writes the empty
# line as Debian's " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Quillprint prints bank checks (drafts that need no signature) with an
ordinary printer: the payor's and the bank's blocks, the amount in words
and in figures, and the MICR line with the routing, account and check
numbers. It checks the ABA routing number's check digit as it is typed,
moves the check by per-printer offsets, and keeps every check in a dBASE
table that several copies of the program can share on a network folder.

The package also holds quilltable, which shows, exports as CSV and packs
the check table from the command line.")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
