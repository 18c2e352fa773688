# quenlith_layer(NAME [FOLDER folder] DEPENDS deps...): the static library quenlith_NAME from
# src/FOLDER/*.cpp (FOLDER defaults to NAME). A layer without sources yet is an interface library,
# so the layers above still link. Each library with sources also gets a link check (see below).
function(quenlith_layer name)
  cmake_parse_arguments(ARG "" "FOLDER" "DEPENDS" ${ARGN})
  if(NOT ARG_FOLDER)
    set(ARG_FOLDER ${name})
  endif()
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${ARG_FOLDER}/*.cpp)
  if(sources)
    add_library(quenlith_${name} STATIC ${sources})
    target_include_directories(quenlith_${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(quenlith_${name} PUBLIC ${ARG_DEPENDS})
    target_compile_definitions(quenlith_${name} PUBLIC
      QUENLITH_RESOURCE_DIR="${QUENLITH_RESOURCE_OUTPUT_DIR}")
    # The user-interface layer needs no WebKit; every layer from the browser up shares one set.
    if(NOT name STREQUAL "model" AND NOT name STREQUAL "ui")
      quenlith_pch(quenlith_${name} gui)
    endif()
    quenlith_layer_link_check(quenlith_${name})
  else()
    add_library(quenlith_${name} INTERFACE)
    target_include_directories(quenlith_${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(quenlith_${name} INTERFACE ${ARG_DEPENDS})
  endif()
endfunction()

# The linker's side of the layer rule: every object of the library, linked with only the libraries
# it declares, must find every symbol it uses. A static library alone never fails on a missing
# symbol, so a reference to a layer (or room) above, which those libraries do not hold, would
# otherwise pass unseen until some program linked both. Built with everything else.
add_custom_target(layer_link_checks ALL)
set(QUENLITH_LAYER_CHECK_MAIN ${CMAKE_CURRENT_LIST_DIR}/layer_link_check.cpp)
function(quenlith_layer_link_check library)
  add_executable(${library}_link_check EXCLUDE_FROM_ALL ${QUENLITH_LAYER_CHECK_MAIN})
  target_link_libraries(${library}_link_check PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${library}>")
  add_dependencies(layer_link_checks ${library}_link_check)
endfunction()

# Test code is compiled without optimisation: it is half of the build's work, and nothing it checks
# depends on it. The code under test keeps the flags of the build type.
set(QUENLITH_TEST_CODE_OPTIONS -O0)

# quenlith_test_binary(NAME LAYER_DIR LIBS... [LABEL label] [MAIN file] [FOCUS]): one GoogleTest
# binary from tests/LAYER_DIR/*.cpp, its cases discovered when CTest runs (GUI binaries need the
# display then). The cases of FOCUS binaries check who has the keyboard focus: each runs on a
# display of its own, where no other test's window takes it, and they run one at a time among
# themselves (some start the application, which is one per session bus).
function(quenlith_test_binary name dir)
  cmake_parse_arguments(ARG "FOCUS" "LABEL;MAIN" "LIBS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources} ${ARG_MAIN})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_compile_options(${name} PRIVATE ${QUENLITH_TEST_CODE_OPTIONS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
  set(lock)
  if(ARG_FOCUS)
    set(lock RESOURCE_LOCK display_focus)
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tests/support/own-display.sh)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    NO_PRETTY_VALUES NO_PRETTY_TYPES
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${ARG_LABEL} TIMEOUT 300 ${lock})
endfunction()
