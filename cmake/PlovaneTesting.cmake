# One GoogleTest executable per subsystem. Every test case runs as its own process
# (gtest_discover_tests), and the shared test main gives each process its own HOME
# and XDG folders, so CTest can run them in parallel without sharing state.
find_package(GTest REQUIRED)
include(GoogleTest)

# plovane_add_test(<name> SOURCES ... LIBS ... [LABELS ...] [ENV ...])
function(plovane_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE plovane_test_support ${T_LIBS} GTest::gtest GTest::gmock)
  plovane_warnings(${name})
  set(props ENVIRONMENT "PLOVANE_SOURCE_DIR=${PROJECT_SOURCE_DIR};${T_ENV}")
  if(T_LABELS)
    list(APPEND props LABELS "${T_LABELS}")
  endif()
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ${props})
endfunction()
