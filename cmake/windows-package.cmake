# SPDX-License-Identifier: MIT
# The Windows program as a folder that runs where it is, and its two
# packages: `cmake --install` gives pictor.exe with everything it loads
# beside it, stripped; `cpack` in the build folder makes
#   pictor-VERSION-win64.zip        the folder, under one top folder
#   pictor-VERSION-win64-setup.exe  a 64-bit Unicode NSIS installer in
#                                   Japanese (cmake/NSIS.template.in)
# The root CMakeLists.txt includes this on Windows, before include(CPack).
#
# The folder:
#   pictor.exe, chimes.wav, menupop.wav, nophoto.wav, tap.wav, libcsv.dll,
#   libzip.dll and the zlib1.dll it loads, zint.dll (the order slips'
#   barcodes), xlsxwriter.dll (the class tables' workbooks; zlib1.dll too)
#   Qt6Core/Gui/Widgets/PrintSupport.dll (printing to Windows printers is
#     built into Qt6PrintSupport.dll), the MinGW runtime DLLs
#   platforms/qwindows.dll (and qoffscreen.dll, for runs without a screen),
#   styles/qwindowsvistastyle.dll, imageformats/qjpeg.dll (PNG is built
#     into Qt Gui)
#   translations/qtbase_ja.qm: Qt's own texts in Japanese, from the host's
#     Qt of the same version. A Qt without qt.conf takes the folder of its
#     DLLs as its prefix, so QLibraryInfo finds them there.
#   licenses/: the licence of the program and of every library it brings

install(TARGETS pictor RUNTIME DESTINATION .)
# libcsv.dll, which reads the roster files (LGPL: a DLL the user may replace).
install(TARGETS pictor_libcsv RUNTIME DESTINATION .)
# libzip.dll, which opens the roster workbooks, and Debian's zlib for MinGW
# (libz-mingw-w64) that it inflates with.
install(TARGETS zip RUNTIME DESTINATION .)
unset(PICTOR_ZLIB_DLL CACHE)
find_file(PICTOR_ZLIB_DLL zlib1.dll PATHS ${MINGW_RUNTIME_DIRS}
  NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT PICTOR_ZLIB_DLL)
  message(FATAL_ERROR "zlib1.dll is in none of ${MINGW_RUNTIME_DIRS} (Debian: libz-mingw-w64)")
endif()
install(FILES ${PICTOR_ZLIB_DLL} DESTINATION .)
# zint.dll, which draws the order slips' barcodes, and xlsxwriter.dll, which
# writes the class tables as workbooks (BSD both).
install(TARGETS zint xlsxwriter RUNTIME DESTINATION .)
install(FILES
  ${PROJECT_SOURCE_DIR}/resources/chimes.wav
  ${PROJECT_SOURCE_DIR}/resources/menupop.wav
  ${PROJECT_SOURCE_DIR}/resources/nophoto.wav
  ${PROJECT_SOURCE_DIR}/resources/tap.wav
  DESTINATION .)

set(pictor_binaries pictor.exe libcsv.dll libzip.dll zlib1.dll zint.dll xlsxwriter.dll)
foreach(module Core Gui Widgets PrintSupport)
  install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION .)
  list(APPEND pictor_binaries Qt6${module}.dll)
endforeach()

foreach(plugin
    platforms:QWindowsIntegrationPlugin:qwindows
    platforms:QOffscreenIntegrationPlugin:qoffscreen
    styles:QWindowsVistaStylePlugin:qwindowsvistastyle
    imageformats:QJpegPlugin:qjpeg)
  string(REPLACE ":" ";" plugin ${plugin})
  list(GET plugin 0 folder)
  list(GET plugin 1 target)
  list(GET plugin 2 file)
  if(NOT TARGET Qt6::${target})
    message(FATAL_ERROR "The Windows Qt has no ${file} plugin (Qt6::${target})")
  endif()
  install(FILES $<TARGET_FILE:Qt6::${target}> DESTINATION ${folder})
  list(APPEND pictor_binaries ${folder}/${file}.dll)
endforeach()

# The runtime of the compiler, from the toolchain's folders.
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  unset(pictor_dll CACHE)
  find_file(pictor_dll ${dll} PATHS ${MINGW_RUNTIME_DIRS}
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT pictor_dll)
    message(FATAL_ERROR "${dll} is in none of ${MINGW_RUNTIME_DIRS}")
  endif()
  install(FILES ${pictor_dll} DESTINATION .)
  list(APPEND pictor_binaries ${dll})
  unset(pictor_dll CACHE)
endforeach()

# Qt's Japanese texts (Debian: qt6-translations-l10n).
find_file(PICTOR_QT_JAPANESE qtbase_ja.qm
  PATHS ${QT_HOST_PATH}/share/qt6/translations /usr/share/qt6/translations
  NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT PICTOR_QT_JAPANESE)
  message(FATAL_ERROR
    "qtbase_ja.qm not found (Debian: qt6-translations-l10n); set PICTOR_QT_JAPANESE to it")
endif()
install(FILES ${PICTOR_QT_JAPANESE} DESTINATION translations)

# The licences of the program and of everything it brings along, in
# licenses/: each library's own text from the source it is built from (the
# Debian sources fetched for the program, Qt's in Debian's copyright file of
# the qt6-base it is built from, with the third-party code Qt bundles), and
# the texts of the GNU licences they name.
set(pictor_licenses
  "pictor.txt=${PROJECT_SOURCE_DIR}/LICENSE"
  "Unicode.txt=${PROJECT_SOURCE_DIR}/resources/windows/unicode-data-license.txt"
  "Qt.txt=/usr/share/doc/libqt6core6/copyright"
  "libcsv.txt=${PICTOR_LIBCSV_SOURCE_DIR}/COPYING.LESSER"
  "libzip.txt=${PICTOR_LIBZIP_SOURCE_DIR}/LICENSE"
  "zlib.txt=/usr/share/doc/libz-mingw-w64/copyright"
  "zint.txt=${PICTOR_ZINT_SOURCE_DIR}/LICENSE"
  "libxlsxwriter.txt=${PICTOR_XLSXWRITER_SOURCE_DIR}/License.txt"
  "gcc-runtime.txt=/usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright"
  "mingw-w64.txt=/usr/share/doc/mingw-w64-x86-64-dev/copyright"
  "GPL-2.txt=/usr/share/common-licenses/GPL-2"
  "GPL-3.txt=/usr/share/common-licenses/GPL-3"
  "LGPL-2.1.txt=/usr/share/common-licenses/LGPL-2.1"
  "LGPL-3.txt=/usr/share/common-licenses/LGPL-3")
foreach(entry ${pictor_licenses})
  string(REPLACE "=" ";" entry "${entry}")
  list(GET entry 0 name)
  list(GET entry 1 source)
  if(NOT EXISTS "${source}")
    message(FATAL_ERROR "The licence ${name} is not at ${source}: the package would go without it")
  endif()
  install(FILES "${source}" DESTINATION licenses RENAME "${name}")
endforeach()

# Every binary stripped where it lands: the program, Qt and the runtime
# carry their symbols otherwise, some 60 MB of them.
find_program(PICTOR_STRIP NAMES ${MINGW_TRIPLET}-strip ${CMAKE_STRIP})
if(NOT PICTOR_STRIP)
  message(FATAL_ERROR "No ${MINGW_TRIPLET}-strip to strip the installed binaries")
endif()
install(CODE "
  foreach(binary ${pictor_binaries})
    execute_process(
      COMMAND \"${PICTOR_STRIP}\" --strip-unneeded \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${binary}\"
      RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR \"Could not strip \${binary}\")
    endif()
  endforeach()
")

# The packages.
set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_FILE_NAME pictor-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGING_INSTALL_PREFIX "")
set(CPACK_STRIP_FILES OFF)
# One whole, never components to choose from: zint's install rules (never
# run: its folder is left out of the install) name a Devel component.
set(CPACK_MONOLITHIC_INSTALL ON)
# The values below reach the installer's script as written here.
set(CPACK_VERBATIM_VARIABLES ON)
# The installer's file is named apart from the zip's (-setup.exe).
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/windows-cpack-options.cmake)
# The installer's script: CMake's template made Unicode and Japanese alone
# (cmake/NSIS.template.in), so that its pages, buttons and uninstaller speak
# Japanese on any Windows.
set(CPACK_MODULE_PATH ${PROJECT_SOURCE_DIR}/cmake)

# Program Files\pictor: an ASCII folder name, so that a command line of any
# code page reaches the program there. Every name shown is ピクトル.
set(CPACK_PACKAGE_INSTALL_DIRECTORY pictor)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY pictor)
set(CPACK_NSIS_PACKAGE_NAME "ピクトル")
set(CPACK_NSIS_DISPLAY_NAME "ピクトル")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
# A 64-bit Unicode installer (the default stub is 32-bit ANSI), and what it
# does beyond copying the folder (resources/windows/pictor-installer.nsh).
set(CPACK_NSIS_DEFINES "
  Target amd64-unicode
  !include /CHARSET=UTF8 \"${PROJECT_SOURCE_DIR}/resources/windows/pictor-installer.nsh\"")
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "!insertmacro PictorAssociateJobFiles")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "!insertmacro PictorForgetJobFiles")
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The Start-menu entry (and the finish page's box that starts the program)
# are in pictor-installer.nsh too.
set(CPACK_NSIS_CREATE_ICONS_EXTRA "!insertmacro PictorCreateShortcut")
set(CPACK_NSIS_DELETE_ICONS_EXTRA "!insertmacro PictorDeleteShortcut")
set(CPACK_NSIS_INSTALLED_ICON_NAME pictor.exe)
set(CPACK_NSIS_MUI_ICON ${PICTOR_WINDOWS_ICON})
set(CPACK_NSIS_MUI_UNIICON ${PICTOR_WINDOWS_ICON})
