# Every source folder is one library made of the .cpp files it holds, so that
# adding a file needs no edit here. Each is a shared library in build/lib,
# installed beside the plug-ins: what the engine and platform keep for the
# process (the text measurer, the class registry, the temporary files, ...)
# then exists once, whichever program or plug-in uses it.
#   nv_folder_library(<target> <folder> [QT] [LINK <targets>...])
function(nv_folder_library target folder)
  cmake_parse_arguments(ARG "QT" "" "LINK" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.c)
  if(_src)
    add_library(${target} SHARED ${_src})
    target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${ARG_LINK})
    set_target_properties(${target} PROPERTIES
        LIBRARY_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/lib"
        INSTALL_RPATH "$ORIGIN")
    if(NOT NV_SANITIZE AND NOT NV_FUZZ)
      # A missing LINK shows when the library is built, not in a plug-in at run time.
      target_link_options(${target} PRIVATE -Wl,--no-undefined)
    endif()
    # A library's calls to its own functions (its vtables' entries among
    # them) are bound when it is linked, not looked up through every library
    # of the process at each start; nothing of ours stands in for another
    # library's functions (the OwnSymbols test), so nothing is lost.
    target_link_options(${target} PRIVATE -Wl,-Bsymbolic-functions)
    if(NOT folder MATCHES "^tests/")
      install(TARGETS ${target} LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}/nivalo")
    endif()
    if(ARG_QT)
      set_target_properties(${target} PROPERTIES AUTOMOC ON)
    endif()
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${ARG_LINK})
  endif()
endfunction()

# One GoogleTest program per test folder.
#   nv_folder_tests(<folder under tests/> LINK <targets>...)
function(nv_folder_tests folder)
  cmake_parse_arguments(ARG "" "" "LINK" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${folder}/*.cpp)
  if(NOT _src)
    return()
  endif()
  string(REPLACE "/" "_" _name "test_${folder}")
  add_executable(${_name} ${_src})
  target_include_directories(${_name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${_name} PRIVATE ${ARG_LINK} nv_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${_name} PRIVATE
      NV_SOURCE_DIR="${CMAKE_SOURCE_DIR}" NV_BINARY_DIR="${CMAKE_BINARY_DIR}")
  gtest_discover_tests(${_name} DISCOVERY_MODE PRE_TEST
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 600)
endfunction()
include(NvPlugins)
