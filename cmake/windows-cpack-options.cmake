# SPDX-License-Identifier: MIT
# Read by cpack once for each package it makes (cmake/windows-package.cmake
# names it): the installer is pictor-VERSION-win64-setup.exe beside
# pictor-VERSION-win64.zip.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
endif()
