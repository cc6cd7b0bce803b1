# Where the device test bed keeps its peers' state: folders under /tmp, one
# set per source tree (the shared build folder is slow for Wine prefixes and
# sockets where the tests run in the guest). Read by the cross and the native
# build alike, so both name the same folders.
string(MD5 testbed_key "${CMAKE_SOURCE_DIR}")
string(SUBSTRING "${testbed_key}" 0 12 testbed_key)
set(SERIAL_STATE /tmp/morvint-serial-${testbed_key}) # the COM2 prefix and the pty pair
set(TCP_PEER_DIR /tmp/morvint-tcp-peer-${testbed_key}) # the TCP peer's pid and ports
set(SOUND_DIR /tmp/morvint-sound-${testbed_key}) # the sound server and its recording

# add_device_programs(name source DEFINITIONS ... PROPERTIES ...): a native
# test of programs in the language that runtime.exe runs under Wine against a
# peer of the test bed, with the definitions tests/runtime/images/imagerun.h
# needs and the device's own; PROPERTIES go to every discovered test.
function(add_device_programs name source)
  cmake_parse_arguments(arg "" "" "DEFINITIONS;PROPERTIES" ${ARGN})
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE imagekit gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tools/image
    ${CMAKE_SOURCE_DIR}/tests/runtime/images)
  target_compile_definitions(${name} PRIVATE
    RUNTIME_EXE="${WIN32_BUILD_DIR}/runtime/runtime.exe"
    DRIVER_EXE="${WIN32_BUILD_DIR}/tools/driver/driver.exe"
    PACKER="$<TARGET_FILE:packer>"
    WINE_RUN="${CMAKE_SOURCE_DIR}/scripts/wine-run.sh"
    BASC="$<TARGET_FILE:basc>"
    PROGRAMS_DIR="${CMAKE_SOURCE_DIR}/tests/runtime/images/programs"
    ${arg_DEFINITIONS})
  add_dependencies(${name} win32 packer basc)
  include(GoogleTest)
  gtest_discover_tests(${name} PROPERTIES LABELS wine ${arg_PROPERTIES})
endfunction()
