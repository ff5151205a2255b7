# Checks the built Windows module file as a host and a user's machine see it:
# it exports exactly its two entry points, imports only from DLLs that every
# Windows system has (the compiler's runtimes are linked in), and carries the
# generated property list, byte for byte, in its resource section.
# Usage: cmake -DOBJDUMP=... -DMODULE=Huesieve.aex -DPROPERTY_LIST=Huesieve.pipl
#              -P check_module_file.cmake
set(failures)

execute_process(COMMAND ${OBJDUMP} -p ${MODULE}
  OUTPUT_VARIABLE headers RESULT_VARIABLE result)
if(NOT result STREQUAL "0")
  message(FATAL_ERROR "${OBJDUMP} -p ${MODULE} failed")
endif()
string(REPLACE "\n" ";" lines "${headers}")

# Exports: the names listed after "[Ordinal/Name Pointer] Table".
set(exports)
set(in_names FALSE)
foreach(line IN LISTS lines)
  if(line MATCHES "^\\[Ordinal/Name Pointer\\] Table")
    set(in_names TRUE)
  elseif(in_names AND line MATCHES "^\t\\[ *[0-9]+\\] (.+)$")
    list(APPEND exports "${CMAKE_MATCH_1}")
  elseif(in_names)
    set(in_names FALSE)
  endif()
endforeach()
list(SORT exports)
message(STATUS "exports: ${exports}")
if(NOT exports STREQUAL "EffectMain;PluginDataEntryFunction")
  list(APPEND failures "exports are '${exports}', not exactly EffectMain and PluginDataEntryFunction")
endif()

# Imports: Windows' own DLLs only, none of the compiler's runtime DLLs.
set(imports)
foreach(line IN LISTS lines)
  if(line MATCHES "^\tDLL Name: (.+)$")
    list(APPEND imports "${CMAKE_MATCH_1}")
  endif()
endforeach()
message(STATUS "imports: ${imports}")
if(NOT imports)
  list(APPEND failures "no imports found")
endif()
foreach(dll IN LISTS imports)
  string(TOLOWER "${dll}" name)
  if(NOT name MATCHES "^(kernel32|msvcrt|ucrtbase|ntdll|user32|advapi32|api-ms-win-[a-z0-9-]+)\\.dll$")
    list(APPEND failures "imports ${dll}, which is not a Windows system DLL")
  endif()
endforeach()

# The property list within the resource section.
execute_process(COMMAND ${OBJDUMP} -h ${MODULE} OUTPUT_VARIABLE sections)
if(NOT sections MATCHES "\\.rsrc +([0-9a-f]+) +[0-9a-f]+ +[0-9a-f]+ +([0-9a-f]+)")
  message(FATAL_ERROR "${MODULE} has no resource section")
endif()
math(EXPR rsrc_size "0x${CMAKE_MATCH_1}")
math(EXPR rsrc_offset "0x${CMAKE_MATCH_2}")
file(READ ${MODULE} rsrc OFFSET ${rsrc_offset} LIMIT ${rsrc_size} HEX)
file(READ ${PROPERTY_LIST} property_list HEX)
string(LENGTH "${property_list}" hex_digits)
math(EXPR property_list_size "${hex_digits} / 2")
message(STATUS "property list: ${property_list_size} bytes; resource section: ${rsrc_size} bytes at ${rsrc_offset}")
if(NOT property_list_size EQUAL 294)
  list(APPEND failures "${PROPERTY_LIST} is ${property_list_size} bytes, not 294")
endif()
string(FIND "${rsrc}" "${property_list}" at)
math(EXPR odd "${at} % 2")
if(at EQUAL -1 OR odd)
  list(APPEND failures "the property list is not in the resource section")
endif()

if(failures)
  string(REPLACE ";" "\n  " failures "${failures}")
  message(FATAL_ERROR "${MODULE}:\n  ${failures}")
endif()
