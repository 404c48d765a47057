# One GoogleTest executable per subsystem. Every test case runs as its own process
# (gtest_discover_tests), and the shared test main gives each process its own HOME
# and XDG folders, so CTest can run them in parallel without sharing state.
find_package(GTest REQUIRED)
include(GoogleTest)

# A parameterised case is named by its suite's name generator alone: CMake would add the
# framework's dump of the parameter (object bytes that change from build to build) after
# any name that is not a number.
#
# plovane_add_test(<name> SOURCES ... LIBS ... [LABELS ...] [ENV ...] [DESKTOP_FONTS <gtest filter>])
#
# DESKTOP_FONTS registers the cases the filter picks a second time, as
# "DesktopFonts.<case>", drawn with a desktop's own fonts in place of the pinned ones
# (scripts/test-desktop.sh writes both configurations).
function(plovane_add_test name)
  cmake_parse_arguments(T "" "DESKTOP_FONTS" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE plovane_test_support plovane_testing ${T_LIBS} GTest::gtest GTest::gmock)
  plovane_warnings(${name})
  set(props "")
  if(T_LABELS)
    list(APPEND props LABELS "${T_LABELS}")
  endif()
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    DISCOVERY_TIMEOUT 60
    NO_PRETTY_VALUES
    TEST_LIST ${name}_TESTS
    PROPERTIES ${props})

  # The environment is a list, and gtest_discover_tests splits list-valued properties
  # apart on the way to the generated test file. So it is set by a script of our own
  # that CTest runs after that file has defined the tests.
  set(env "PLOVANE_SOURCE_DIR=${PROJECT_SOURCE_DIR}" ${T_ENV})
  set(env_script "${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake")
  file(WRITE "${env_script}"
    "if(${name}_TESTS)\n"
    "  set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT [==[${env}]==])\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${env_script}")

  if(T_DESKTOP_FONTS)
    gtest_discover_tests(${name}
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
      DISCOVERY_TIMEOUT 60
    NO_PRETTY_VALUES
      TEST_PREFIX "DesktopFonts."
      TEST_FILTER "${T_DESKTOP_FONTS}"
      TEST_LIST ${name}_DESKTOP_TESTS
      PROPERTIES LABELS "desktop-fonts;${T_LABELS}" SKIP_RETURN_CODE 77)
    set(desktop_script "${CMAKE_CURRENT_BINARY_DIR}/${name}_desktop_environment.cmake")
    file(WRITE "${desktop_script}"
      "if(${name}_DESKTOP_TESTS)\n"
      "  set_tests_properties(\${${name}_DESKTOP_TESTS} PROPERTIES ENVIRONMENT [==[${env};PLOVANE_TEST_FONTS=desktop]==])\n"
      "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${desktop_script}")
  endif()
endfunction()
