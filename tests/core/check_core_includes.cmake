# Lists, with the compiler's own dependency output, every header each core
# source and header includes, and fails on any outside src/core/ that is not
# a system header: the core must build with no host header in its graph.
file(GLOB core_files ${SOURCE_DIR}/src/core/*.cpp ${SOURCE_DIR}/src/core/*.h)
set(failures "")
foreach(file IN LISTS core_files)
  # -MM leaves out system headers; only the project's own are listed.
  execute_process(
    COMMAND ${COMPILER} -std=c++20 -MM -x c++ -DHUESIEVE_LANES_TARGET= -I${SOURCE_DIR}/src ${file}
    OUTPUT_VARIABLE dependencies
    ERROR_VARIABLE errors
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "could not list the includes of ${file}:\n${errors}")
  endif()
  string(REPLACE "\\\n" " " dependencies "${dependencies}")
  string(REGEX REPLACE "^[^:]*:" "" dependencies "${dependencies}")
  separate_arguments(dependencies)
  foreach(dependency IN LISTS dependencies)
    if(dependency STREQUAL "")
      continue()
    endif()
    get_filename_component(path "${dependency}" REALPATH)
    if(NOT path MATCHES "^${SOURCE_DIR}/src/core/")
      string(APPEND failures "  ${file} includes ${path}\n")
    endif()
  endforeach()
endforeach()
if(failures)
  message(FATAL_ERROR "the core includes headers from outside src/core/:\n${failures}")
endif()
list(LENGTH core_files count)
message(STATUS "${count} core files include only the core and the standard library")
