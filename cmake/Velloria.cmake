# Each subsystem folder lists its own sources with these functions, so that folders can
# grow independently without touching one shared list.
#   velloria_core(files...)   portable C++20; built natively and for Windows
#   velloria_core_posix(...)  / velloria_core_win32(...): the one OS service a core unit needs
#   velloria_win32(files...)  Win32 user interface and platform code of the program
set_property(GLOBAL PROPERTY VELLORIA_CORE_SOURCES "")
set_property(GLOBAL PROPERTY VELLORIA_WIN32_SOURCES "")

function(velloria_core)
  foreach(f IN LISTS ARGN)
    set_property(GLOBAL APPEND PROPERTY VELLORIA_CORE_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${f})
  endforeach()
endfunction()

function(velloria_core_posix)
  if(NOT WIN32)
    velloria_core(${ARGN})
  endif()
endfunction()

function(velloria_core_win32)
  if(WIN32)
    velloria_core(${ARGN})
  endif()
endfunction()

function(velloria_win32)
  if(WIN32)
    foreach(f IN LISTS ARGN)
      set_property(GLOBAL APPEND PROPERTY VELLORIA_WIN32_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${f})
    endforeach()
  endif()
endfunction()

# velloria_test(NAME name SOURCES files... [LIBS libs...] [WIN32_ONLY])
# One GoogleTest program per subsystem; under a cross build it runs through the emulator
# (Wine). Every program writes its results as XML so test.sh can count cases.
function(velloria_test)
  cmake_parse_arguments(T "WIN32_ONLY" "NAME" "SOURCES;LIBS" ${ARGN})
  if(T_WIN32_ONLY AND NOT WIN32)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} velloria_test_support gtest_main gmock)
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${T_NAME} PRIVATE VELLORIA_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
  # Under Wine the Linux file system is drive Z:, and GoogleTest only takes a path with a
  # drive letter as absolute.
  set(results ${CMAKE_BINARY_DIR}/test-results/${T_NAME}.xml)
  if(WIN32)
    set(results Z:${results})
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_output=xml:${results})
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 900)
endfunction()
