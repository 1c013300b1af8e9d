# Programs land in build/bin, plug-ins in build/lib; the build tree's ProgID
# file build/share/progids names every plug-in, so programs run from the
# build tree without installing.
#
#   nv_program(<target> SOURCES <files>... [LINK <targets>...] [TOOL])
#   nv_program_icon(<name> <folder> [COMPONENT <component>])
#   nv_plugin(<target> SOURCES <files>... [LINK <targets>...] [OUTPUT_NAME <name>] [TEST])
#
# A plug-in is a module that exports only its factory (NV_DEFINE_PLUGIN):
# hidden visibility; the folder libraries it links are shared, one copy per
# process, found beside it. TEST plug-ins are left out of the ProgID file.
# A TOOL program serves the build (or its developers) and is not installed:
# bin/ holds only the programs a person runs.

set(NV_PLUGIN_DIR "${CMAKE_INSTALL_LIBDIR}/nivalo")

function(nv_program target)
  cmake_parse_arguments(ARG "TOOL" "" "SOURCES;LINK" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LINK})
  set_target_properties(${target} PROPERTIES
      RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bin"
      INSTALL_RPATH "$ORIGIN/../${NV_PLUGIN_DIR}")
  if(NOT ARG_TOOL)
    install(TARGETS ${target} RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
  endif()
endfunction()

# A program's icon into the icon theme's place, where its desktop file's
# Icon=<name> finds it: <folder>/<name>.svg as the scalable one and each
# <folder>/<name>-<size>.png at its size (the program carries the same PNGs).
function(nv_program_icon name folder)
  cmake_parse_arguments(ARG "" "COMPONENT" "" ${ARGN})
  set(_component)
  if(ARG_COMPONENT)
    set(_component COMPONENT ${ARG_COMPONENT})
  endif()
  set(_theme "${CMAKE_INSTALL_DATADIR}/icons/hicolor")
  install(FILES "${folder}/${name}.svg" DESTINATION "${_theme}/scalable/apps" ${_component})
  file(GLOB _pngs CONFIGURE_DEPENDS "${folder}/${name}-*.png")
  foreach(_png IN LISTS _pngs)
    string(REGEX MATCH "-([0-9]+)\\.png$" _ "${_png}")
    install(FILES "${_png}" DESTINATION "${_theme}/${CMAKE_MATCH_1}x${CMAKE_MATCH_1}/apps"
            RENAME "${name}.png" ${_component})
  endforeach()
endfunction()

function(nv_plugin target)
  cmake_parse_arguments(ARG "TEST" "OUTPUT_NAME" "SOURCES;LINK" ${ARGN})
  add_library(${target} MODULE ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE nv_automation ${ARG_LINK})
  if(NOT ARG_OUTPUT_NAME)
    set(ARG_OUTPUT_NAME ${target})
  endif()
  set_target_properties(${target} PROPERTIES
      PREFIX ""
      OUTPUT_NAME "${ARG_OUTPUT_NAME}"
      LIBRARY_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/lib"
      CXX_VISIBILITY_PRESET hidden
      C_VISIBILITY_PRESET hidden
      VISIBILITY_INLINES_HIDDEN ON
      INSTALL_RPATH "$ORIGIN")
  target_link_options(${target} PRIVATE
      -Wl,--exclude-libs,ALL
      "-Wl,--version-script=${CMAKE_SOURCE_DIR}/cmake/plugin.map")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${CMAKE_SOURCE_DIR}/cmake/plugin.map")
  if(ARG_TEST)
    return()
  endif()
  install(TARGETS ${target} LIBRARY DESTINATION "${NV_PLUGIN_DIR}")
  set_property(GLOBAL APPEND PROPERTY NV_PLUGINS ${target})
endfunction()

cmake_language(DEFER DIRECTORY "${CMAKE_SOURCE_DIR}" CALL _nv_write_progids)

# At the end of the top directory: the build tree's ProgID file, and the
# installed one, each written by asking the plug-ins' factories.
function(_nv_write_progids)
  get_property(_plugins GLOBAL PROPERTY NV_PLUGINS)
  set(_out "${CMAKE_BINARY_DIR}/share/progids")
  set(_files)
  foreach(_p IN LISTS _plugins)
    list(APPEND _files "$<TARGET_FILE:${_p}>")
  endforeach()
  add_custom_command(
    OUTPUT "${_out}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/share"
    COMMAND nv_progids "${_out}" "../lib/" ${_files}
    DEPENDS nv_progids ${_plugins}
    COMMENT "ProgID file of the build tree"
    VERBATIM)
  add_custom_target(nv_progids_file ALL DEPENDS "${_out}")
  # Into the prefix of the install run (--prefix), naming the plug-ins
  # relative to the file, so the package may be moved after installing.
  set(_dest "\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/nivalo")
  set(_libdir "${NV_PLUGINS_FROM_SHARE}/")
  string(REPLACE ";" "\" \"" _quoted "${_files}")
  install(CODE "
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}${_dest}\")
    execute_process(COMMAND \"$<TARGET_FILE:nv_progids>\" \"\$ENV{DESTDIR}${_dest}/progids\" \"${_libdir}\" \"${_quoted}\"
                    RESULT_VARIABLE _r)
    if(_r)
      message(FATAL_ERROR \"Writing the ProgID file failed\")
    endif()")
endfunction()
