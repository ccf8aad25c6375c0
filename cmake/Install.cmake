# How the program is laid out when installed (cmake --install, and the Debian package CPack builds): the
# executable on the PATH, the catalogue, menu entry, icons, metainfo and manual page under the data folder.
# Nothing writable goes under the prefix: settings, the saved list and the default output folder are per user.
include(GNUInstallDirs)

# reelhand-convert is the command-line mode without the window's libraries, for machines without a display.
install(TARGETS reelhand reelhand-convert RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The program finds this catalogue from its own folder as ../share/reelhand/command.
install(FILES ${CMAKE_SOURCE_DIR}/resources/command DESTINATION ${CMAKE_INSTALL_DATADIR}/reelhand)
install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/app.quor.Reelhand.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/app.quor.Reelhand.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 24 32 48 64 72 96 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/images/app/icon-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME app.quor.Reelhand.png)
endforeach()

# Debian keeps manual pages compressed, without a time stamp in the archive.
set(manual ${CMAKE_BINARY_DIR}/reelhand.1.gz)
add_custom_command(OUTPUT ${manual}
  COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/docs/reelhand.1 > ${manual}
  DEPENDS ${CMAKE_SOURCE_DIR}/docs/reelhand.1 VERBATIM)
add_custom_target(manual ALL DEPENDS ${manual})
install(FILES ${manual} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The watch folder's user service, which runs the installed reelhand-convert: its path is known only when installing.
install(CODE "
  set(REELHAND_WATCH_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/reelhand-convert\")
  configure_file(\"${CMAKE_SOURCE_DIR}/resources/systemd/reelhand-watch@.service.in\"
    \"${CMAKE_BINARY_DIR}/systemd/reelhand-watch@.service\" @ONLY)
  file(INSTALL \"${CMAKE_BINARY_DIR}/systemd/reelhand-watch@.service\"
    DESTINATION \"\${CMAKE_INSTALL_PREFIX}/lib/systemd/user\")")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME reelhand)
set(CPACK_PACKAGE_VENDOR Quor)
set(CPACK_PACKAGE_CONTACT "Quor <support@reelhand.quor.app>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch video converter")
set(CPACK_PACKAGE_DESCRIPTION "Builds a list of source videos, each with a target format and an output
folder, and converts them one after the other with ffmpeg. Also converts
exported lists without a display (reelhand --convert, or reelhand-convert
without the window's libraries).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://reelhand.quor.app/)
# The libraries come from the binary (dpkg-shlibdeps); the encoder is run, not linked, so it is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# "Open folder" and a finished file's "Open" hand the address to xdg-open, which xdg-utils brings.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "ffmpeg, xdg-utils")
# systemd-inhibit keeps the machine awake while files are converted, busctl tells the desktop of a watched file
# that failed; without them the work goes on all the same.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS systemd)
include(CPack)
