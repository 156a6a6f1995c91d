# The desktop entry and the AppStream metadata pass their validators, and an install puts
# everything where it belongs.
if(NOT DEFINED ZF_DESKTOP_FILE)
  return()  # nothing is installable in this build
endif()

add_test(NAME desktop_entry_valid
  COMMAND ${CMAKE_COMMAND} -DTOOL=desktop-file-validate -DFILE=${ZF_DESKTOP_FILE}
          -P ${CMAKE_CURRENT_SOURCE_DIR}/install/validate.cmake)
add_test(NAME metainfo_valid
  COMMAND ${CMAKE_COMMAND} -DTOOL=appstreamcli "-DARGS=validate$<SEMICOLON>--no-net"
          -DFILE=${ZF_METAINFO_FILE} -P ${CMAKE_CURRENT_SOURCE_DIR}/install/validate.cmake)

list(TRANSFORM ZF_ASSET_OUTPUTS REPLACE "^.*/" "" OUTPUT_VARIABLE assetNames)
string(REPLACE ";" "$<SEMICOLON>" assetNames "${assetNames}")
string(REPLACE ";" "$<SEMICOLON>" iconSizes "${ZF_ICON_SIZES}")
add_test(NAME install_layout
  COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR}
          -DPREFIX=${CMAKE_CURRENT_BINARY_DIR}/install-root
          -DBINDIR=${ZF_INSTALL_GAMESDIR} -DDATADIR=${CMAKE_INSTALL_DATADIR}
          -DMANDIR=${CMAKE_INSTALL_MANDIR} -DDOCDIR=${ZF_INSTALL_DOCDIR}
          -DAPP_ID=${ZF_APP_ID} -DPROGRAM=${ZF_PROGRAM}
          "-DASSETS=${assetNames}" "-DICON_SIZES=${iconSizes}"
          -P ${CMAKE_CURRENT_SOURCE_DIR}/install/check_install.cmake)
set_tests_properties(desktop_entry_valid metainfo_valid install_layout PROPERTIES TIMEOUT 120)

# A Debian package of this very build (no Release build of its own: lintian looks at the
# layout, not the optimisation): lintian accepts it, and its program, unpacked anywhere,
# starts from an empty folder with its data, its class and its icon.
add_test(NAME debian_package
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/e2e/under_xvfb.sh
          sh ${CMAKE_CURRENT_SOURCE_DIR}/install/package_run.sh ${CMAKE_CPACK_COMMAND} ${CMAKE_BINARY_DIR})
set_tests_properties(debian_package PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77
  ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0;SDL_AUDIODRIVER=dummy")
