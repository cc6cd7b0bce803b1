# Serial ports: a socat pseudo-terminal pair mapped to COM2 of a Wine prefix
# of its own, in SERIAL_STATE (cmake/testbed.cmake).
set(serial_peer ${CMAKE_SOURCE_DIR}/tests/fixtures/serial_peer.sh)
# The tests' environment: the prefix with the ports, and where the pair is.
set(serial_env MORVINT_WINE_STATE=${SERIAL_STATE} MORVINT_SERIAL_STATE=${SERIAL_STATE})

if(CMAKE_CROSSCOMPILING)
  add_executable(serial_tests ${CMAKE_SOURCE_DIR}/tests/runtime/main.cpp
    ${CMAKE_SOURCE_DIR}/tests/runtime/recorder.cpp serial_test.cpp serial_peer_test.cpp)
  target_include_directories(serial_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/runtime)
  target_link_libraries(serial_tests PRIVATE runtime_core imagekit gtest)
  add_test(NAME serial_peer_start COMMAND ${serial_peer} start ${SERIAL_STATE}
    ${CMAKE_SOURCE_DIR}/build/wine/prefix)
  add_test(NAME serial_peer_stop COMMAND ${serial_peer} stop ${SERIAL_STATE})
  set_tests_properties(serial_peer_start PROPERTIES LABELS wine FIXTURES_SETUP "serial_peer;device_bed")
  set_tests_properties(serial_peer_stop PROPERTIES LABELS wine FIXTURES_CLEANUP "serial_peer;device_bed")
  add_test(NAME serial_tests COMMAND serial_tests)
  set_tests_properties(serial_tests PROPERTIES LABELS wine TIMEOUT 600
    FIXTURES_REQUIRED serial_peer RESOURCE_LOCK serial_peer ENVIRONMENT "${serial_env}"
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ tests?\\."
    FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")
else()
  # The serial terminal program, run by runtime.exe with an echoing peer.
  add_device_programs(serial_program_tests serial_program_test.cpp
    DEFINITIONS SERIAL_ECHO="${CMAKE_SOURCE_DIR}/tests/fixtures/serial_echo.py"
      SERIAL_STATE="${SERIAL_STATE}"
    PROPERTIES FIXTURES_REQUIRED serial_peer RESOURCE_LOCK serial_peer)
endif()
