# Installs the build into a scratch prefix and checks what a desktop finds there.
# -DBUILD_DIR, -DPREFIX, -DICON_SIZES (semicolon list)
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${out}")
endif()

set(id io.github.vantel.Vantel)
set(desktop ${PREFIX}/share/applications/${id}.desktop)
set(metainfo ${PREFIX}/share/metainfo/${id}.metainfo.xml)
set(expected ${PREFIX}/bin/vantel ${desktop} ${metainfo}
  ${PREFIX}/share/icons/hicolor/scalable/apps/${id}.svg)
string(REPLACE " " ";" sizes "${ICON_SIZES}")
foreach(size ${sizes})
  list(APPEND expected ${PREFIX}/share/icons/hicolor/${size}x${size}/apps/${id}.png)
endforeach()
foreach(f ${expected})
  if(NOT EXISTS ${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()

# The menu entry starts the installed program by the name on the PATH and
# shows the installed icon.
file(STRINGS ${desktop} lines)
foreach(want "Exec=vantel" "Icon=${id}" "GenericName=Lap timer" "Categories=Utility;Clock;")
  list(FIND lines "${want}" at)
  if(at LESS 0)
    message(FATAL_ERROR "${desktop} lacks the line ${want}")
  endif()
endforeach()

foreach(check "desktop-file-validate;${desktop}" "appstreamcli;validate;--no-net;${metainfo}")
  execute_process(COMMAND ${check} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${check} failed (${rc}):\n${out}")
  endif()
endforeach()
message(STATUS "installed tree complete and valid")
