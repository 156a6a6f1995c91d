# `cmake --install` puts the program where Debian puts games (<prefix>/games), its assets
# and window icon in a folder of its own, the desktop entry, the icons, the AppStream
# metadata, the manual page and the documents where a desktop finds them, all named by
# ZF_APP_ID; `cpack -G DEB` packages the same files under /usr. The program looks for its
# assets in ZF_DATA_DIR, fixed when it is built, and in ../share/<id> beside itself, so an
# install under any prefix finds them.
if(NOT TARGET zf_assets OR NOT TARGET zf_icons)
  return()  # builds without the generators have nothing to install
endif()

set(ZF_VERSION 0.1.0)
set(ZF_RELEASE_DATE 2026-12-06)
set(ZF_RELEASE_STAMP "Sun, 06 Dec 2026 12:00:00 +0000")  # the same day, as a changelog dates it
set(ZF_PROGRAM zorbly-frondles)
# Debian's place for games, on its users' PATH under /usr and /usr/local; an install in a
# home folder wants bin, which is on the PATH there.
set(ZF_INSTALL_GAMESDIR games CACHE STRING "Where the program goes, under the install prefix")
set(ZF_INSTALL_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/${ZF_PROGRAM})
# Directories made by the install are 0755 whatever the umask, as a package needs them.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(ZF_DESKTOP_FILE ${CMAKE_BINARY_DIR}/data/${ZF_APP_ID}.desktop)
set(ZF_METAINFO_FILE ${CMAKE_BINARY_DIR}/data/${ZF_APP_ID}.metainfo.xml)
configure_file(${CMAKE_SOURCE_DIR}/data/${ZF_APP_ID}.desktop.in ${ZF_DESKTOP_FILE} @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/data/${ZF_APP_ID}.metainfo.xml.in ${ZF_METAINFO_FILE} @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/data/changelog.in ${CMAKE_BINARY_DIR}/data/changelog @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/data/${ZF_PROGRAM}.6.in ${CMAKE_BINARY_DIR}/data/${ZF_PROGRAM}.6
               @ONLY)
# Debian wants the manual page and the changelog compressed, without a time stamp (-n) so
# that the same sources make the same package.
find_program(ZF_GZIP gzip REQUIRED)
set(ZF_GZIPPED)
foreach(name changelog ${ZF_PROGRAM}.6)
  set(plain ${CMAKE_BINARY_DIR}/data/${name})
  add_custom_command(OUTPUT ${plain}.gz
    COMMAND ${ZF_GZIP} -9nf -k ${plain}
    DEPENDS ${plain}
    VERBATIM)
  list(APPEND ZF_GZIPPED ${plain}.gz)
endforeach()
add_custom_target(zf_documents ALL DEPENDS ${ZF_GZIPPED})

install(TARGETS ${ZF_PROGRAM} RUNTIME DESTINATION ${ZF_INSTALL_GAMESDIR})
install(FILES ${ZF_ASSET_OUTPUTS} ${ZF_WINDOW_ICON} DESTINATION ${CMAKE_INSTALL_DATADIR}/${ZF_APP_ID})
install(FILES ${ZF_DESKTOP_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ZF_METAINFO_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size icon IN ZIP_LISTS ZF_ICON_SIZES ZF_ICON_OUTPUTS)
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/data/${ZF_PROGRAM}.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_SOURCE_DIR}/data/copyright ${CMAKE_BINARY_DIR}/data/changelog.gz
        DESTINATION ${ZF_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${ZF_PROGRAM})
set(CPACK_PACKAGE_VERSION ${ZF_VERSION})
set(CPACK_PACKAGE_VENDOR "Zorbly Studio")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "side-scrolling shooter with a blob of sauce and drifting pasta")
# Debian shows the description in 80 columns, each line indented by one space.
set(CPACK_PACKAGE_DESCRIPTION
  "Steer a blob of sauce over a scrolling wooden table, fire volleys at\n"
  "drifting pasta, collect tomatoes for energy and cheese for weapon level,\n"
  "and switch between phase, magnet and charge modes. Reach 50 points to win.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Zorbly Studio <games@zorbly.net>")
# Our own licence, not a free one: the archive area for such games.
set(CPACK_DEBIAN_PACKAGE_SECTION non-free/games)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A package installs under /usr whatever prefix the build was configured with: the
# program finds its data beside it there even when it was built to look elsewhere.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# "Arial" reaches the game through fontconfig, which no library link reveals.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
find_program(ZF_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(ZF_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libsdl2-2.0-0, libsdl2-image-2.0-0, "
         "libsdl2-ttf-2.0-0, libfontconfig1")
endif()
include(CPack)
