# scale_test_timeout(SECONDS TESTS...)
# Gives the tests a time limit of SECONDS times LUMIVANE_TIME_SCALE, a whole number from 1 to
# 100 read from the environment when ctest runs; unset or anything else counts as 1. Where
# everything runs several times slower, as in the emulated guest of scripts/qemu-guest.sh,
# the runner sets it, and the live tests stretch their own waits by the same factor.
function(scale_test_timeout seconds)
  set_tests_properties(${ARGN} PROPERTIES TIMEOUT ${seconds})
  # ctest runs a directory's TEST_INCLUDE_FILES before it reads that directory's tests, and
  # those of a subdirectory after them, so the script that changes the limits belongs to a
  # subdirectory of its own.
  get_property(count GLOBAL PROPERTY LUMIVANE_TEST_TIME_SCALES)
  if(NOT count)
    set(count 0)
  endif()
  math(EXPR count "${count} + 1")
  set_property(GLOBAL PROPERTY LUMIVANE_TEST_TIME_SCALES ${count})
  set(binary_dir ${CMAKE_CURRENT_BINARY_DIR}/test_time_scale_${count})
  set(TEST_TIME_SCALE_SCRIPT ${binary_dir}/scale_timeouts.cmake)
  set(names)
  foreach(name ${ARGN})
    string(APPEND names " [==[${name}]==]")
  endforeach()
  file(WRITE ${TEST_TIME_SCALE_SCRIPT}
    "# Written by scale_test_timeout() in ${CMAKE_CURRENT_LIST_FILE}.\n"
    "set(scale \"\$ENV{LUMIVANE_TIME_SCALE}\")\n"
    "if(scale MATCHES \"^([2-9]|[1-9][0-9]|100)\$\")\n"
    "  math(EXPR seconds \"${seconds} * \${scale}\")\n"
    "  set_tests_properties(${names} PROPERTIES TIMEOUT \${seconds})\n"
    "endif()\n")
  add_subdirectory(${CMAKE_SOURCE_DIR}/cmake/test_time_scale ${binary_dir})
endfunction()
