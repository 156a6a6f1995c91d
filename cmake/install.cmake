# `cmake --install` puts the program, its assets, the desktop entry, the icon and the
# AppStream metadata where a desktop finds them, all named by ZF_APP_ID; `cpack -G DEB`
# packages the same files. The program looks for its assets in ZF_DATA_DIR, fixed when
# it is built: configure with -DCMAKE_INSTALL_PREFIX=/usr for a Debian package.
if(NOT TARGET zf_assets OR NOT TARGET zf_icons)
  return()  # builds without the generators have nothing to install
endif()

set(ZF_VERSION 0.1.0)
set(ZF_RELEASE_DATE 2026-12-06)
set(ZF_PROGRAM zorbly-frondles)

set(ZF_DESKTOP_FILE ${CMAKE_BINARY_DIR}/data/${ZF_APP_ID}.desktop)
set(ZF_METAINFO_FILE ${CMAKE_BINARY_DIR}/data/${ZF_APP_ID}.metainfo.xml)
configure_file(${CMAKE_SOURCE_DIR}/data/${ZF_APP_ID}.desktop.in ${ZF_DESKTOP_FILE} @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/data/${ZF_APP_ID}.metainfo.xml.in ${ZF_METAINFO_FILE} @ONLY)

install(TARGETS ${ZF_PROGRAM} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${ZF_ASSET_OUTPUTS} DESTINATION ${CMAKE_INSTALL_DATADIR}/${ZF_APP_ID})
install(FILES ${ZF_DESKTOP_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ZF_METAINFO_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size icon IN ZIP_LISTS ZF_ICON_SIZES ZF_ICON_OUTPUTS)
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${ZF_PROGRAM})
set(CPACK_PACKAGE_VERSION ${ZF_VERSION})
set(CPACK_PACKAGE_VENDOR "Zorbly Studio")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "side-scrolling shooter with a blob of sauce and drifting pasta")
set(CPACK_PACKAGE_DESCRIPTION
  "Steer a blob of sauce over a scrolling wooden table, fire volleys at drifting pasta,\n"
  "collect tomatoes for energy and cheese for weapon level, and switch between phase,\n"
  "magnet and charge modes. Reach 50 points to win.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Zorbly Studio <games@zorbly.net>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Paths inside the package match the prefix the program was built to look in.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
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
