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
          -DBINDIR=${CMAKE_INSTALL_BINDIR} -DDATADIR=${CMAKE_INSTALL_DATADIR}
          -DAPP_ID=${ZF_APP_ID} -DPROGRAM=${ZF_PROGRAM}
          "-DASSETS=${assetNames}" "-DICON_SIZES=${iconSizes}"
          -P ${CMAKE_CURRENT_SOURCE_DIR}/install/check_install.cmake)
set_tests_properties(desktop_entry_valid metainfo_valid install_layout PROPERTIES TIMEOUT 120)
