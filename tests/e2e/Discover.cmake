# Run after the end-to-end driver is linked: lists its cases (--list) and
# writes one CTest test per case into OUT, which the build folder's CTest
# file includes. Under Wine it first makes the Wine prefix that every run
# starts from a copy of (TEMPLATE), once.
#
#   cmake -DDRIVER=... -DAPP=... -DSETUP=... -DRUNNER=... -DTEMPLATE=... -DOUT=... -P Discover.cmake
#
# RUNNER is empty when the tests run where they are built (Windows).
set(environment "")
if(RUNNER)
  set(wine_env ${CMAKE_COMMAND} -E env WINEPREFIX=${TEMPLATE} WINEDEBUG=-all
               "WINEDLLOVERRIDES=mscoree,mshtml=" --unset=DISPLAY)
  if(NOT EXISTS "${TEMPLATE}/system.reg")
    file(REMOVE_RECURSE "${TEMPLATE}")
    execute_process(COMMAND ${wine_env} wineboot -i RESULT_VARIABLE booted OUTPUT_QUIET ERROR_QUIET
                    TIMEOUT 180)
    execute_process(COMMAND ${wine_env} wineserver -w TIMEOUT 60)
    if(NOT booted EQUAL 0 OR NOT EXISTS "${TEMPLATE}/system.reg")
      file(REMOVE_RECURSE "${TEMPLATE}")
      message(FATAL_ERROR "wineboot could not make the prefix ${TEMPLATE}")
    endif()
  endif()
  execute_process(COMMAND ${wine_env} wine ${DRIVER} --list OUTPUT_VARIABLE listing
                  RESULT_VARIABLE listed TIMEOUT 120)
  execute_process(COMMAND ${wine_env} wineserver -w TIMEOUT 60)
  set(launcher "[==[${RUNNER}]==] --exe")
  set(environment "ENVIRONMENT [==[E2E_PREFIX_TEMPLATE=${TEMPLATE}]==]")
else()
  execute_process(COMMAND ${DRIVER} --list OUTPUT_VARIABLE listing RESULT_VARIABLE listed
                  TIMEOUT 120)
  set(launcher "")
endif()
if(NOT listed EQUAL 0)
  message(FATAL_ERROR "${DRIVER} --list failed (${listed})")
endif()

string(REPLACE "\r" "" listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
set(script "# Written by Discover.cmake from the driver's --list; do not edit.\n")
set(count 0)
foreach(line IN LISTS lines)
  if(NOT line MATCHES "^([a-z0-9_]+)( \\[installer\\])?( \\[two displays\\])? - ")
    continue()
  endif()
  set(name "${CMAKE_MATCH_1}")
  set(extra "")
  set(fixture "")
  if(CMAKE_MATCH_2)
    set(extra " --setup [==[${SETUP}]==]")
    set(fixture " FIXTURES_REQUIRED installer")
  endif()
  # run.sh gives these an X server with two displays.
  set(case_environment "${environment}")
  if(CMAKE_MATCH_3)
    if(RUNNER)
      set(case_environment "ENVIRONMENT [==[E2E_PREFIX_TEMPLATE=${TEMPLATE};E2E_DISPLAYS=2]==]")
    endif()
  endif()
  string(APPEND script
    "add_test([==[e2e.${name}]==] ${launcher} [==[${DRIVER}]==] --app [==[${APP}]==]${extra} --case ${name})\n"
    "set_tests_properties([==[e2e.${name}]==] PROPERTIES LABELS e2e RESOURCE_LOCK wine TIMEOUT 900 ${case_environment}${fixture})\n")
  math(EXPR count "${count} + 1")
endforeach()
if(count EQUAL 0)
  message(FATAL_ERROR "${DRIVER} --list named no case")
endif()
file(WRITE "${OUT}" "${script}")
