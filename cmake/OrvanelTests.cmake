# How a test comes into CTest. Every suite is named here by its files, so a
# renamed or missing file stops the configure instead of dropping a suite.
include_guard(GLOBAL)

find_package(GTest REQUIRED)
include(GoogleTest)

# The system's python: the X tests need Debian's python3-xlib, installed for
# it alone.
find_program(ORVANEL_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)

# orvanel_add_gtest(NAME SOURCES file... [LIBRARIES lib...] [DEFINITIONS def...] [DEPENDS target...])
# A GoogleTest suite: one executable, each test its own CTest test, all
# labelled "unit" (ctest --preset dev runs just those).
function(orvanel_add_gtest name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;LIBRARIES;DEFINITIONS;DEPENDS")
  if(NOT arg_SOURCES OR arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "orvanel_add_gtest(${name}): give SOURCES, and nothing else unnamed")
  endif()
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBRARIES} GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE ${arg_DEFINITIONS})
  if(arg_DEPENDS)
    add_dependencies(${name} ${arg_DEPENDS})
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES LABELS unit)
endfunction()

# orvanel_add_script_test(NAME SCRIPT file [ARGS arg...] [LABELS label...] [TIMEOUT seconds])
# A Python test program run by the system's python.
function(orvanel_add_script_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "SCRIPT;TIMEOUT" "ARGS;LABELS")
  if(NOT EXISTS "${arg_SCRIPT}" OR arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "orvanel_add_script_test(${name}): no script at '${arg_SCRIPT}'")
  endif()
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 120)
  endif()
  add_test(NAME ${name} COMMAND ${ORVANEL_PYTHON} ${arg_SCRIPT} ${arg_ARGS})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${arg_TIMEOUT} LABELS "${arg_LABELS}")
endfunction()
