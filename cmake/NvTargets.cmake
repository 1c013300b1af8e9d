# Every source folder is one library made of the .cpp files it holds, so that
# adding a file needs no edit here.
#   nv_folder_library(<target> <folder> [QT] [LINK <targets>...])
function(nv_folder_library target folder)
  cmake_parse_arguments(ARG "QT" "" "LINK" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.c)
  if(_src)
    add_library(${target} STATIC ${_src})
    target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${ARG_LINK})
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
