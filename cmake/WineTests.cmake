# Windows test programs run under Wine inside one session per ctest run: a private Xvfb display, a
# prefix copied from a template made once per build folder, and a persistent wineserver. The
# session is a ctest fixture, so any selection of Wine tests brings it along.
if(NOT WIN32)
  return()
endif()

set(GATEVANE_WINE_DIR ${CMAKE_BINARY_DIR}/wine)

# Native test programs the Windows tests start through Wine come from the host build.
set(GATEVANE_NATIVE_BUILD_DIR ${CMAKE_SOURCE_DIR}/build/native CACHE PATH "The native preset's build folder")
string(REPLACE "/" "\\" GATEVANE_LOGON_SERVER "Z:${GATEVANE_NATIVE_BUILD_DIR}/tests/logon_server/logon_server_standin")
string(REPLACE "/" "\\" GATEVANE_HTTP_FAULT_SERVER "Z:${GATEVANE_NATIVE_BUILD_DIR}/tests/http_faults/http_fault_server")
string(REPLACE "/" "\\" GATEVANE_NGINX_SERVER "Z:${CMAKE_SOURCE_DIR}/tests/nginx/run-nginx.sh")
set(GATEVANE_WINE_SCRIPTS ${CMAKE_SOURCE_DIR}/tests/wine)

add_test(NAME wine_session_start COMMAND ${GATEVANE_WINE_SCRIPTS}/wine-session.sh start ${GATEVANE_WINE_DIR})
set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine_session LABELS wine TIMEOUT 300)
add_test(NAME wine_session_stop COMMAND ${GATEVANE_WINE_SCRIPTS}/wine-session.sh stop ${GATEVANE_WINE_DIR})
set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine_session LABELS wine TIMEOUT 60)

# gatevane_add_wine_test(<target> LABELS <labels...> [TIMEOUT <s>] [GLOBAL_NAMES] [DESKTOP])
# GLOBAL_NAMES: the test uses names every process of the session shares (the mutex and window
# class "Quarnel", processes called OstrelPet.dll), so it never runs beside another such test.
# DESKTOP: the test shows windows that take the activation and relies on keeping it (a drop-down
# box closes when another window becomes active), so it never runs beside another such test.
function(gatevane_add_wine_test target)
  cmake_parse_arguments(ARG "GLOBAL_NAMES;DESKTOP" "TIMEOUT" "LABELS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 180)
  endif()
  add_test(NAME ${target}
           COMMAND ${GATEVANE_WINE_SCRIPTS}/run-wine-test.sh ${GATEVANE_WINE_DIR} ${ARG_TIMEOUT}
                   $<TARGET_FILE:${target}>)
  set_tests_properties(${target} PROPERTIES
    FIXTURES_REQUIRED wine_session
    LABELS "${ARG_LABELS}"
    TIMEOUT ${ARG_TIMEOUT})
  set(locks)
  if(ARG_GLOBAL_NAMES)
    list(APPEND locks quarnel_global_names)
  endif()
  if(ARG_DESKTOP)
    list(APPEND locks wine_desktop)
  endif()
  if(locks)
    set_tests_properties(${target} PROPERTIES RESOURCE_LOCK "${locks}")
  endif()
endfunction()
