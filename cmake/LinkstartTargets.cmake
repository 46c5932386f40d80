# Small helpers shared by every subsystem's CMakeLists.txt.

# Compiler warnings for the project's own targets.
function(linkstart_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(LINKSTART_WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# linkstart_library(name SOURCES ... [LIBS ...])
# A static library of one subsystem, with the repository root as its include root so that
# headers are included as "subsystem/header.h".
function(linkstart_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  add_library(linkstart::${name} ALIAS ${name})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_features(${name} PUBLIC cxx_std_17)
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  linkstart_warnings(${name})
endfunction()

# linkstart_test(name SOURCES ... [LIBS ...])
# One GoogleTest executable registered with CTest; each TEST becomes its own CTest case. Every
# test program runs in an isolated session (testsupport/isolated_session.cpp).
function(linkstart_test name)
  if(NOT LINKSTART_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} platform_testing testsupport_session GTest::gmock
                        GTest::gtest_main)
  linkstart_warnings(${name})
  include(GoogleTest)
  # Cross-built test programs are listed when CTest runs (under the Wine session it needs),
  # not when they are built.
  if(CMAKE_CROSSCOMPILING)
    set(discovery_mode PRE_TEST)
  else()
    set(discovery_mode POST_BUILD)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 DISCOVERY_MODE ${discovery_mode}
                       PROPERTIES ENVIRONMENT "LINKSTART_TEST=1")
endfunction()

# linkstart_use_components(test)
# Gives a test program the paths of the stand-in component and of the failing component files
# (apprun/), and builds them before it. The names resolve when the build is generated, so the
# order of the subsystem folders does not matter.
function(linkstart_use_components test)
  add_dependencies(${test} apprun apprun_fixtures)
  target_compile_definitions(${test} PRIVATE
    LINKSTART_COMPONENT="$<TARGET_FILE:apprun>"
    LINKSTART_SHARED_ASSEMBLY="${CMAKE_BINARY_DIR}/program/Korvo.Suite.Shared.manifest"
    LINKSTART_FIXTURE_NO_ENTRY="$<TARGET_FILE:apprun_fixture_no_entry>"
    LINKSTART_FIXTURE_NO_CLASS="$<TARGET_FILE:apprun_fixture_no_class>"
    LINKSTART_FIXTURE_FACTORY_FAILS="$<TARGET_FILE:apprun_fixture_factory_fails>"
    LINKSTART_FIXTURE_NO_INTERFACE="$<TARGET_FILE:apprun_fixture_no_interface>")
endfunction()

# linkstart_place_log4cxx_dll(target)
# Windows: copies the one log4cxx DLL of the process beside the target after each build, so the
# target starts from its own folder and shares that copy with every module loaded there.
function(linkstart_place_log4cxx_dll target)
  if(TARGET ${target})
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:log4cxx>
              $<TARGET_FILE_DIR:${target}>)
  endif()
endfunction()
