# Every subsystem folder src/<name>/ is one static library, velloria_<name>, that names
# the subsystems it builds on; the layers run one way. Its CMakeLists.txt starts with
#   velloria_subsystem([DEPENDS subsystems...] [LIBS libraries...])
# and then lists its own sources with
#   velloria_core(files...)   portable C++20; built natively and for Windows
#   velloria_core_posix(...)  / velloria_core_win32(...): the one OS service a core unit needs
#   velloria_win32(files...)  Win32 user interface and platform code of the program
#
# A library sees only the headers of its own folder and of the subsystems it depends on
# (directly or through them): each folder is reachable through an include root of its own,
# build/<preset>/layers/<name>/<name> -> src/<name>, and a library gets the roots of its
# dependencies only. So `#include "view/..."` inside imaging does not compile, and a call
# into a higher layer does not link. `cmake --build build/<preset> --target deps-graph`
# prints the graph.

set_property(GLOBAL PROPERTY VELLORIA_SUBSYSTEMS "")
set(VELLORIA_LAYER_ROOT ${CMAKE_BINARY_DIR}/layers)

function(velloria_subsystem)
  cmake_parse_arguments(S "" "" "DEPENDS;LIBS" ${ARGN})
  get_filename_component(name ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(target velloria_${name})
  add_library(${target} STATIC)
  set(root ${VELLORIA_LAYER_ROOT}/${name})
  file(MAKE_DIRECTORY ${root})
  if(NOT IS_SYMLINK ${root}/${name})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${name} SYMBOLIC RESULT failed)
    if(failed)
      message(FATAL_ERROR "cannot link ${root}/${name} to ${CMAKE_CURRENT_SOURCE_DIR}: ${failed}")
    endif()
  endif()
  target_include_directories(${target} PUBLIC ${root})
  foreach(dependency IN LISTS S_DEPENDS)
    target_link_libraries(${target} PUBLIC velloria_${dependency})
  endforeach()
  target_link_libraries(${target} PUBLIC velloria_platform ${S_LIBS})
  set_property(GLOBAL APPEND PROPERTY VELLORIA_SUBSYSTEMS ${name})
  set_property(GLOBAL PROPERTY VELLORIA_DEPENDS_${name} "${S_DEPENDS}")
endfunction()

function(velloria_subsystem_target out)
  get_filename_component(name ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  if(NOT TARGET velloria_${name})
    message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR}/CMakeLists.txt lists sources before velloria_subsystem()")
  endif()
  set(${out} velloria_${name} PARENT_SCOPE)
endfunction()

function(velloria_core)
  velloria_subsystem_target(target)
  target_sources(${target} PRIVATE ${ARGN})
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
    velloria_core(${ARGN})
  endif()
endfunction()

# After every folder: a library without sources on this platform gets an empty unit, the
# declared graph is checked for cycles and written where deps-graph prints it from.
function(velloria_finish_subsystems)
  get_property(subsystems GLOBAL PROPERTY VELLORIA_SUBSYSTEMS)
  file(WRITE ${VELLORIA_LAYER_ROOT}/empty.cpp "// A subsystem without sources on this platform.\n")
  set(graph "Subsystem dependencies (each line: a library and the libraries it builds on)\n")
  foreach(name IN LISTS subsystems)
    get_target_property(sources velloria_${name} SOURCES)
    if(NOT sources)
      target_sources(velloria_${name} PRIVATE ${VELLORIA_LAYER_ROOT}/empty.cpp)
    endif()
    get_property(dependencies GLOBAL PROPERTY VELLORIA_DEPENDS_${name})
    foreach(dependency IN LISTS dependencies)
      if(NOT dependency IN_LIST subsystems)
        message(FATAL_ERROR "subsystem ${name} depends on ${dependency}, which is no subsystem")
      endif()
    endforeach()
    list(JOIN dependencies " " line)
    string(APPEND graph "  ${name}: ${line}\n")
  endforeach()
  velloria_check_acyclic("${subsystems}")
  file(WRITE ${VELLORIA_LAYER_ROOT}/graph.txt "${graph}")
endfunction()

# Depth-first search; a subsystem met again while still on the path closes a cycle.
function(velloria_check_acyclic subsystems)
  foreach(name IN LISTS subsystems)
    set(state_${name} 0)
  endforeach()
  foreach(start IN LISTS subsystems)
    if(NOT state_${start} EQUAL 0)
      continue()
    endif()
    set(stack ${start})
    set(path_${start} ${start})
    set(state_${start} 1)
    while(stack)
      list(GET stack -1 node)
      get_property(dependencies GLOBAL PROPERTY VELLORIA_DEPENDS_${node})
      set(next "")
      foreach(dependency IN LISTS dependencies)
        if(state_${dependency} EQUAL 1)
          message(FATAL_ERROR "subsystem dependency cycle: ${path_${node}} -> ${dependency}")
        elseif(state_${dependency} EQUAL 0)
          set(next ${dependency})
          break()
        endif()
      endforeach()
      if(next)
        set(path_${next} "${path_${node}} -> ${next}")
        set(state_${next} 1)
        list(APPEND stack ${next})
      else()
        set(state_${node} 2)
        list(POP_BACK stack)
      endif()
    endwhile()
  endforeach()
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
