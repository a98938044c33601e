# Runs check_pe.cmake once per line of CASES (its arguments, tab-separated; a line is one case) and
# fails, listing them, if any case does not come out as expected.
#   cmake -DCHECK_PE=... -DCASES=... -P run_cases.cmake
cmake_minimum_required(VERSION 3.20)

file(STRINGS "${CASES}" cases)
set(wrong "")
set(count 0)
foreach(case IN LISTS cases)
  string(REPLACE "\t" ";" arguments "${case}")
  list(POP_FRONT arguments name)
  execute_process(COMMAND "${CMAKE_COMMAND}" ${arguments} -P "${CHECK_PE}"
    OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE result)
  math(EXPR count "${count} + 1")
  if(result EQUAL 0)
    message(STATUS "${name}: as expected")
  else()
    message(STATUS "${name}: NOT as expected\n${output}")
    list(APPEND wrong "${name}")
  endif()
endforeach()
if(count EQUAL 0)
  message(FATAL_ERROR "no cases in ${CASES}")
endif()
if(wrong)
  list(JOIN wrong ", " text)
  message(FATAL_ERROR "${count} cases, not as expected: ${text}")
endif()
message(STATUS "${count} cases as expected")
