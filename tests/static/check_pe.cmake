# Checks one PE file (DLL or EXE) against the expectations of its deliverable, reading it with the
# MinGW objdump (read_pe.cmake). Run as
#   cmake -DOBJDUMP=... -DPE_FILE=... -DMACHINE=i386|x86-64 [expectations] -P check_pe.cmake
# Lists are comma-separated. Expectations, each optional:
#   SUBSYSTEM=n             the PE subsystem number (2 GUI, 3 console)
#   EXPORTS=a,b             exactly these exports, by name, undecorated unless listed decorated
#   ALLOWED_DLLS=a,b        the only DLLs it may import from (compared ignoring case)
#   IMPORTS_FROM=dll        with IMPORTED_NAMES=a,b: exactly these functions are imported from dll,
#                           undecorated unless listed decorated
#   EXPORTER=file           with IMPORTS_FROM: every name imported from that DLL is exported,
#                           letter for letter, by this PE file (the loader's own rule)
#   BOUND_AT_RUN_TIME=a,b   functions that must not appear in the import table
#   BOUND_AT_RUN_TIME_IN=d  directories whose sources bind functions through
#                           find_system_function(module, "Name"); those names are added to the above
# Always checked: no K32* import, no compiler runtime DLL. Every failure is listed, then the script
# fails once. With EXPECT_FAILURE=regex it instead passes only if it finds failures and all match.

cmake_minimum_required(VERSION 3.20)

foreach(required OBJDUMP PE_FILE MACHINE)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "check_pe: ${required} is not set")
  endif()
endforeach()
if(NOT EXISTS "${PE_FILE}")
  message(FATAL_ERROR "check_pe: ${PE_FILE} does not exist")
endif()

set(failures "")
macro(fail text)
  list(APPEND failures "${text}")
endmacro()

# Fails on names present but not expected and expected but not present. A name as the linker
# may decorate it on x86 (a leading underscore for cdecl, a trailing @<bytes> for stdcall, a
# leading ? for C++) counts as its plain name and fails as decorated, unless it is one of
# <expected_text> exactly as it stands.
function(check_names what names expected_text)
  string(REPLACE "," ";" expected "${expected_text}")
  set(plain "")
  foreach(name IN LISTS names)
    if(name IN_LIST expected)
      list(APPEND plain "${name}")
      continue()
    endif()
    string(REGEX REPLACE "^[_?@]+|@[0-9]*$" "" bare "${name}")
    if(NOT bare STREQUAL name)
      fail("${what}: '${name}' is decorated")
    endif()
    list(APPEND plain "${bare}")
  endforeach()
  set(extra ${plain})
  set(missing ${expected})
  if(expected)
    list(REMOVE_ITEM extra ${expected})
  endif()
  if(plain)
    list(REMOVE_ITEM missing ${plain})
  endif()
  if(extra)
    list(JOIN extra ", " text)
    fail("${what}: unexpected ${text}")
  endif()
  if(missing)
    list(JOIN missing ", " text)
    fail("${what}: missing ${text}")
  endif()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/read_pe.cmake)
read_pe("${OBJDUMP}" "${PE_FILE}")

file(SIZE "${PE_FILE}" size)
list(LENGTH pe_imports import_count)
list(JOIN pe_dlls ", " dll_text)
list(JOIN pe_exports ", " export_text)
message(STATUS "${PE_FILE}")
message(STATUS "  size ${size} bytes, format ${pe_format}, subsystem ${pe_subsystem}")
if(NOT pe_exports)
  set(export_text "(none)")
endif()
message(STATUS "  exports: ${export_text}")
message(STATUS "  ${import_count} imports from: ${dll_text}")

set(expected_format "pei-${MACHINE}")
if(NOT pe_format STREQUAL expected_format)
  fail("machine: file format is '${pe_format}', expected '${expected_format}'")
endif()

if(DEFINED SUBSYSTEM AND NOT pe_subsystem STREQUAL SUBSYSTEM)
  fail("subsystem: ${pe_subsystem}, expected ${SUBSYSTEM}")
endif()

# Exports: exactly the expected names, none decorated, none reachable by ordinal only. A decorated
# name counts as its plain one, so a wrong calling convention reads as that and nothing else.
if(DEFINED EXPORTS)
  check_names("exports" "${pe_exports}" "${EXPORTS}")
  list(LENGTH pe_exports named_count)
  if(NOT pe_entry_count EQUAL named_count)
    fail("exports: ${pe_entry_count} entry points but ${named_count} names")
  endif()
endif()

string(TOUPPER "${ALLOWED_DLLS}" allowed)
string(REPLACE "," ";" allowed "${allowed}")
string(REPLACE "," ", " allowed_text "${ALLOWED_DLLS}")
foreach(dll_name IN LISTS pe_dlls)
  string(TOUPPER "${dll_name}" dll)
  if(DEFINED ALLOWED_DLLS AND NOT dll IN_LIST allowed)
    fail("imports: from ${dll_name}, which is not one of ${allowed_text}")
  endif()
  if(dll MATCHES "^(LIBGCC|LIBSTDC\\+\\+|LIBWINPTHREAD)")
    fail("imports: depends on the compiler runtime DLL ${dll_name}")
  endif()
endforeach()

# The functions imported from one DLL, exactly.
if(DEFINED IMPORTS_FROM)
  string(TOUPPER "${IMPORTS_FROM}" from)
  set(names "")
  foreach(item IN LISTS pe_imports)
    if(item MATCHES "^([^|]+)\\|(.+)$" AND CMAKE_MATCH_1 STREQUAL from)
      list(APPEND names "${CMAKE_MATCH_2}")
    endif()
  endforeach()
  if(DEFINED IMPORTED_NAMES)
    check_names("imports from ${IMPORTS_FROM}" "${names}" "${IMPORTED_NAMES}")
  endif()
  if(DEFINED EXPORTER)
    read_pe("${OBJDUMP}" "${EXPORTER}")
    get_filename_component(exporter_name "${EXPORTER}" NAME)
    foreach(name IN LISTS names)
      if(NOT name IN_LIST pe_exports)
        fail("imports from ${IMPORTS_FROM}: ${name} is not exported by ${exporter_name}")
      endif()
    endforeach()
  endif()
endif()

# Functions that must not be in the import table: the K32* ones exist only from Windows 7 on, and
# the ones the product looks up with GetProcAddress would stop it loading where they are missing.
string(REPLACE "," ";" bound "${BOUND_AT_RUN_TIME}")
string(REPLACE "," ";" source_dirs "${BOUND_AT_RUN_TIME_IN}")
foreach(dir IN LISTS source_dirs)
  file(GLOB sources "${dir}/*.cpp" "${dir}/*.h")
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" calls REGEX "find_system_function\\(")
    foreach(call IN LISTS calls)
      if(call MATCHES "find_system_function\\(\"[^\"]*\", *\"([A-Za-z0-9_]+)\"\\)")
        list(APPEND bound "${CMAKE_MATCH_1}")
      endif()
    endforeach()
  endforeach()
endforeach()
list(REMOVE_DUPLICATES bound)
list(JOIN bound ", " bound_text)
message(STATUS "  bound at run time, so not imported: ${bound_text}")
foreach(item IN LISTS pe_imports)
  string(REGEX REPLACE "^[^|]+\\|" "" name "${item}")
  if(name MATCHES "^K32")
    fail("imports: ${name} (K32 functions exist only from Windows 7 on)")
  endif()
  if(name IN_LIST bound)
    fail("imports: ${name}, which is bound at run time")
  endif()
endforeach()

list(JOIN failures "\n  " text)
if(DEFINED EXPECT_FAILURE)
  # The checker's own tests: a file with a known fault must fail for that fault and no other.
  set(unexpected "${failures}")
  list(FILTER unexpected EXCLUDE REGEX "${EXPECT_FAILURE}")
  if(failures AND NOT unexpected)
    message(STATUS "  failed as expected:\n  ${text}")
    return()
  endif()
  message(FATAL_ERROR "expected only failures matching '${EXPECT_FAILURE}', got:\n  ${text}")
endif()
if(failures)
  message(FATAL_ERROR "${PE_FILE}:\n  ${text}")
endif()
message(STATUS "  all checks passed")
