# Runs a command, shows what it printed, keeps its standard output in OUTPUT,
# and fails when the command does.
# Usage: cmake -DOUTPUT=FILE -P run_and_record.cmake -- COMMAND [ARGS...]
set(command)
set(after_separator FALSE)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE ${last})
  if(after_separator)
    list(APPEND command "${CMAKE_ARGV${i}}")
  elseif(CMAKE_ARGV${i} STREQUAL "--")
    set(after_separator TRUE)
  endif()
endforeach()

file(REMOVE ${OUTPUT})
execute_process(COMMAND ${command}
  OUTPUT_VARIABLE printed ERROR_VARIABLE complained RESULT_VARIABLE result)
message("${printed}${complained}")
if(NOT result STREQUAL "0")
  message(FATAL_ERROR "exited with ${result}")
endif()
file(WRITE ${OUTPUT} "${printed}")
