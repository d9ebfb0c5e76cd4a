# Install rules and the Debian package: `make package` (or `cpack` in the
# build folder) gives novalune_<version>_<arch>.deb.

# A package installs under /usr; a hand install may still choose its prefix.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX /usr CACHE PATH "Install prefix" FORCE)
endif()
include(GNUInstallDirs)

# The package always installs under /usr, whatever prefix a build folder was configured with.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The packaged program's folder is not its settings folder (see ProgramDir).
target_compile_definitions(novalune_common PRIVATE NOVALUNE_INSTALLED_BINDIR="${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}")

set(NOVALUNE_APP_ID org.novalune.NOVALUNE)
set(NOVALUNE_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)

# The program, and the server-list service a group may run on one of its machines.
install(TARGETS novalune novalune-list RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${NOVALUNE_PACKAGING}/${NOVALUNE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${NOVALUNE_PACKAGING}/${NOVALUNE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${NOVALUNE_PACKAGING}/icons/novalune.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
  install(FILES ${NOVALUNE_PACKAGING}/icons/novalune-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME novalune.png)
endforeach()
# The help is built into the program; this copy is for the desktop's browser.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/help/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/help)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME novalune)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "NOVALUNE")
set(CPACK_PACKAGE_CONTACT "NOVALUNE developers <novalune@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Japanese chat with its own server for small groups")
set(CPACK_PACKAGE_DESCRIPTION
    "One program with an IRC-dialect chat server and a Japanese chat client: rooms, whispers,\n"
    "file transfer, member pictures, sounds and logs.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The desktop's platform plugin is not a linked library, so shlibdeps cannot find it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The General MIDI sound font plays MIDI sounds.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-noto-cjk, fluid-soundfont-gm")
include(CPack)
