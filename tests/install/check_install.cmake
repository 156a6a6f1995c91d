# Installs the build into an empty folder and checks that exactly the expected files land
# where a desktop looks for them, that each icon is as large as its folder says, and that
# the desktop entry and the metadata name the installed program, icon and entry.
# Usage: cmake -DBUILD_DIR= -DPREFIX= -DBINDIR= -DDATADIR= -DMANDIR= -DDOCDIR= -DAPP_ID=
#              -DPROGRAM= -DASSETS=<names> -DICON_SIZES=<sizes> -P check_install.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output TIMEOUT 120)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${result}):\n${output}")
endif()

set(desktop ${DATADIR}/applications/${APP_ID}.desktop)
set(metainfo ${DATADIR}/metainfo/${APP_ID}.metainfo.xml)
set(expected ${BINDIR}/${PROGRAM} ${desktop} ${metainfo} ${MANDIR}/man6/${PROGRAM}.6.gz
             ${DOCDIR}/copyright ${DOCDIR}/changelog.gz)
foreach(asset ${ASSETS} ${APP_ID}.png)
  list(APPEND expected ${DATADIR}/${APP_ID}/${asset})
endforeach()
foreach(size ${ICON_SIZES})
  list(APPEND expected ${DATADIR}/icons/hicolor/${size}x${size}/apps/${APP_ID}.png)
endforeach()

file(GLOB_RECURSE installed RELATIVE ${PREFIX} ${PREFIX}/*)
set(missing ${expected})
list(REMOVE_ITEM missing ${installed})
set(extra ${installed})
list(REMOVE_ITEM extra ${expected})
if(missing OR extra)
  list(JOIN missing ", " missing)
  list(JOIN extra ", " extra)
  message(FATAL_ERROR "install under ${PREFIX}: missing [${missing}], unexpected [${extra}]")
endif()

# A PNG's width and height are the big-endian words at bytes 16 and 20.
foreach(size ${ICON_SIZES})
  set(icon ${PREFIX}/${DATADIR}/icons/hicolor/${size}x${size}/apps/${APP_ID}.png)
  file(READ ${icon} header HEX LIMIT 24)
  string(SUBSTRING "${header}" 0 16 magic)
  string(SUBSTRING "${header}" 32 8 width)
  string(SUBSTRING "${header}" 40 8 height)
  math(EXPR width "0x${width}")
  math(EXPR height "0x${height}")
  if(NOT magic STREQUAL "89504e470d0a1a0a" OR NOT width EQUAL size OR NOT height EQUAL size)
    message(FATAL_ERROR "icon ${icon} is not a ${size} x ${size} PNG (${width} x ${height})")
  endif()
endforeach()

file(STRINGS ${PREFIX}/${desktop} execLine REGEX "^Exec=")
file(STRINGS ${PREFIX}/${desktop} iconLine REGEX "^Icon=")
if(NOT execLine STREQUAL "Exec=${PROGRAM}" OR NOT iconLine STREQUAL "Icon=${APP_ID}")
  message(FATAL_ERROR "desktop entry starts '${execLine}' with '${iconLine}', "
                      "not the installed ${PROGRAM} and ${APP_ID}")
endif()
file(READ ${PREFIX}/${metainfo} metadata)
if(NOT metadata MATCHES "<id>${APP_ID}</id>"
   OR NOT metadata MATCHES "<launchable type=\"desktop-id\">${APP_ID}\\.desktop</launchable>")
  message(FATAL_ERROR "metadata ${metainfo} does not name ${APP_ID} and its desktop entry")
endif()
