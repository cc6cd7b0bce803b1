# Where the device test bed keeps its peers' state: folders under /tmp, one
# set per source tree (the shared build folder is slow for Wine prefixes and
# sockets where the tests run in the guest). Read by the cross and the native
# build alike, so both name the same folders.
string(MD5 testbed_key "${CMAKE_SOURCE_DIR}")
string(SUBSTRING "${testbed_key}" 0 12 testbed_key)
set(SERIAL_STATE /tmp/morvint-serial-${testbed_key}) # the COM2 prefix and the pty pair
set(TCP_PEER_DIR /tmp/morvint-tcp-peer-${testbed_key}) # the TCP peer's pid and ports
set(SOUND_DIR /tmp/morvint-sound-${testbed_key}) # the sound server and its recording
