# The environment shared by the tests that run under Wine: a private Wine prefix, an Xvfb
# display and PulseAudio with a null sink, all in one state folder and started by
# tools/test-env.sh. The fixture dd_wine_env starts it for a ctest run unless a wrapper
# (tools/run-wine-tests.sh) already has; whoever started it stops it, by PID.
#
#   include(${PROJECT_SOURCE_DIR}/cmake/wine-test-env.cmake)
#   add_test(NAME x COMMAND ${DD_WINE_RUN} wine $<TARGET_FILE:x>)
#   dd_wine_env_test(x)      # label "wine", requires the fixture
#
# Tests that make or record sound also take RESOURCE_LOCK dd_sound: there is one sink.

set(DD_TEST_ENV_DIR ${CMAKE_BINARY_DIR}/testenv)
set(DD_TEST_ENV_SCRIPT ${PROJECT_SOURCE_DIR}/tools/test-env.sh)
set(DD_WINE_RUN sh ${DD_TEST_ENV_SCRIPT} run ${DD_TEST_ENV_DIR})

get_property(dd_wine_env_defined GLOBAL PROPERTY DD_WINE_ENV_FIXTURE)
if(NOT dd_wine_env_defined)
  set_property(GLOBAL PROPERTY DD_WINE_ENV_FIXTURE TRUE)
  add_test(NAME wine_env_up COMMAND sh ${DD_TEST_ENV_SCRIPT} up ${DD_TEST_ENV_DIR} ctest)
  add_test(NAME wine_env_down COMMAND sh ${DD_TEST_ENV_SCRIPT} down ${DD_TEST_ENV_DIR} ctest)
  set_tests_properties(wine_env_up PROPERTIES FIXTURES_SETUP dd_wine_env LABELS wine
                                              TIMEOUT 180)
  set_tests_properties(wine_env_down PROPERTIES FIXTURES_CLEANUP dd_wine_env LABELS wine)
endif()

function(dd_wine_env_test name)
  set_tests_properties(${name} PROPERTIES LABELS wine FIXTURES_REQUIRED dd_wine_env)
endfunction()
