# Unit tests sit beside their code, and each folder's CMakeLists.txt names its own: the core's go
# into core_tests (run natively and, built for Windows, under Wine), the Win32 side's into
# platform_tests (under Wine). The programs are declared here, before the folders; tests/ links and
# registers them.
if(GATEVANE_TESTS AND NOT GATEVANE_FUZZ)
  add_executable(core_tests)
  if(WIN32)
    add_executable(platform_tests)
  endif()
endif()

# gatevane_unit_tests([CORE <core test sources...>] [WIN <Win32 test sources...>])
function(gatevane_unit_tests)
  cmake_parse_arguments(ARG "" "" "CORE;WIN" ${ARGN})
  if(TARGET core_tests AND ARG_CORE)
    target_sources(core_tests PRIVATE ${ARG_CORE})
  endif()
  if(TARGET platform_tests AND ARG_WIN)
    target_sources(platform_tests PRIVATE ${ARG_WIN})
  endif()
endfunction()
