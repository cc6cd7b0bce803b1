# Labels for tests that gtest_discover_tests finds only at build or test time,
# so set_tests_properties cannot name them when the project is configured.
# The labels are set by a file CTest reads after the discovered tests.
#   label_discovered_tests(LABELS wine guest-smoke TESTS Suite.Case ...)
function(label_discovered_tests)
  cmake_parse_arguments(arg "" "" "LABELS;TESTS" ${ARGN})
  string(MD5 key "${CMAKE_CURRENT_BINARY_DIR};${arg_TESTS}")
  set(file "${CMAKE_CURRENT_BINARY_DIR}/labels_${key}.cmake")
  set(text "")
  foreach(test IN LISTS arg_TESTS)
    string(APPEND text "set_tests_properties(\"${test}\" PROPERTIES LABELS \"${arg_LABELS}\")\n")
  endforeach()
  file(WRITE "${file}" "${text}")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${file}")
endfunction()
