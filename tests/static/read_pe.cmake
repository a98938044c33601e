# read_pe(<objdump> <file>): reads a PE file's headers, export table and import table from the
# listing of `objdump -p` and sets, in the caller's scope:
#   pe_format        objdump's name of the file format: pei-i386 or pei-x86-64
#   pe_subsystem     the subsystem number (2 GUI, 3 console)
#   pe_entry_count   the number of exported entry points, named or not
#   pe_exports       the exported names
#   pe_dlls          the imported DLLs, as the file names them
#   pe_imports       the imported functions as DLL|name, DLL upper-cased; an import by ordinal
#                    has no name and reads as #<ordinal>
function(read_pe objdump file)
  execute_process(COMMAND "${objdump}" -p "${file}"
    OUTPUT_VARIABLE dump ERROR_VARIABLE dump_error RESULT_VARIABLE dump_result)
  if(NOT dump_result EQUAL 0)
    message(FATAL_ERROR "${objdump} -p ${file} failed: ${dump_error}")
  endif()
  # Square brackets would group CMake list items; the listing uses them around indices.
  string(REPLACE "[" "(" dump "${dump}")
  string(REPLACE "]" ")" dump "${dump}")
  string(REPLACE ";" "," dump "${dump}")
  string(REPLACE "\n" ";" lines "${dump}")

  set(fields format subsystem entry_count exports dlls imports)
  foreach(field ${fields} section)
    set(${field} "")
  endforeach()
  foreach(line IN LISTS lines)
    if(line MATCHES "file format ([^ ]+)$")
      set(format "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^Subsystem[ \t]+([0-9a-fA-F]+)")
      math(EXPR subsystem "0x${CMAKE_MATCH_1}")
    elseif(line MATCHES "^The Import Tables")
      set(section imports)
    elseif(line MATCHES "^The Export Tables")
      set(section exports)
    elseif(line MATCHES "^PE File Base Relocations" OR line MATCHES "^The Function Table")
      set(section "")
    elseif(section STREQUAL "imports" AND line MATCHES "DLL Name: (.+)$")
      set(dll_name "${CMAKE_MATCH_1}")
      string(TOUPPER "${dll_name}" dll)
      list(APPEND dlls "${dll_name}")
    elseif(section STREQUAL "imports" AND line MATCHES "^\t[0-9a-fA-F]+\t +([0-9]+) +([^ \t]+)")
      # Columns: address, hint (or the ordinal), name (or <none>).
      set(name "${CMAKE_MATCH_2}")
      if(name STREQUAL "<none>")
        math(EXPR ordinal "${CMAKE_MATCH_1}")
        set(name "#${ordinal}")
      endif()
      list(APPEND imports "${dll}|${name}")
    elseif(section STREQUAL "exports" AND entry_count STREQUAL ""
           AND line MATCHES "^\tExport Address Table[ \t]+([0-9a-fA-F]+)$")
      # The first such line is the count; a later one under "Table Addresses" is an address.
      math(EXPR entry_count "0x${CMAKE_MATCH_1}")
    elseif(section STREQUAL "exports" AND line MATCHES "^\t\\( *[0-9]+\\) ([^ \t]+)$")
      list(APPEND exports "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  if(entry_count STREQUAL "")
    set(entry_count 0)
  endif()

  foreach(field ${fields})
    set(pe_${field} "${${field}}" PARENT_SCOPE)
  endforeach()
endfunction()
