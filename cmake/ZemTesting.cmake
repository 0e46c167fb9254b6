# GoogleTest is built from the distribution's sources so that the same version
# serves the native build and the MinGW cross build.
set(ZEM_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest source tree")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${ZEM_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

# zem_add_test(<name> SOURCES ... LIBS ...): one test program; natively every
# test case becomes its own CTest entry, under the cross build's emulator (Wine)
# the program runs once as a whole, which keeps the Wine start-up cost to one.
function(zem_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock zem_options)
  target_compile_definitions(${name} PRIVATE
    ZEM_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# zem_add_folder_tests(<name> FOLDER <dir> [EXCEPT <file>...] [SOURCES ...] LIBS ...):
# one test program of every *_test.cpp in <dir> (relative to the calling
# folder), less the EXCEPT files, which are programs of their own. A new test
# file joins its folder's program without an edit here.
function(zem_add_folder_tests name)
  cmake_parse_arguments(ARG "" "FOLDER" "EXCEPT;SOURCES;LIBS" ${ARGN})
  set(folder ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_FOLDER})
  file(GLOB tests CONFIGURE_DEPENDS ${folder}/*_test.cpp)
  foreach(file IN LISTS ARG_EXCEPT)
    list(REMOVE_ITEM tests ${folder}/${file})
  endforeach()
  if(NOT tests)
    message(FATAL_ERROR "zem_add_folder_tests(${name}): no *_test.cpp in ${folder}")
  endif()
  zem_add_test(${name} SOURCES ${tests} ${ARG_SOURCES} LIBS ${ARG_LIBS})
endfunction()

# Gives a Windows test the path of another built target as a wide-string
# macro: `zem_define_target_path(test MACRO target)`. Under Wine the host's
# root is drive Z:. The test is built after the target.
function(zem_define_target_path test macro target)
  set(path "$<TARGET_FILE:${target}>")
  if(CMAKE_HOST_UNIX)
    set(path "Z:${path}")
  endif()
  target_compile_definitions(${test} PRIVATE ${macro}=L"${path}")
  add_dependencies(${test} ${target})
endfunction()
