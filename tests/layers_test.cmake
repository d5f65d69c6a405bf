# The layer check passes on the source tree and refuses a tree where config/ includes the engine,
# files/ includes config/, or ui/ includes cli/.
#   cmake -DSOURCE_DIR=<source folder> -DWORK_DIR=<scratch folder> -P tests/layers_test.cmake
cmake_minimum_required(VERSION 3.22)
set(check ${SOURCE_DIR}/cmake/check_layers.cmake)

execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${SOURCE_DIR} -P ${check}
                RESULT_VARIABLE status ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "The source tree fails the layer check:\n${output}")
endif()

set(tree ${WORK_DIR}/layers_upward)
file(REMOVE_RECURSE ${tree})
file(WRITE ${tree}/config/record.h "#include \"config/lists.h\"\n#include \"engine/run.h\"\n")
file(WRITE ${tree}/engine/run.h "#include \"config/record.h\"\n#include \"files/guard.h\"\n")
file(WRITE ${tree}/files/guard.h "#include \"files/identity.h\"\n#include \"config/lists.h\"\n")
file(WRITE ${tree}/ui/windows/box.cpp "#include \"cli/options.h\"\n")
execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${tree} -P ${check}
                RESULT_VARIABLE status ERROR_VARIABLE output)
if(status EQUAL 0)
  message(FATAL_ERROR "The layer check let config/ include the engine")
endif()
foreach(expected "config/record.h: #include \"engine/run.h\"" "ui/windows/box.cpp: #include \"cli/options.h\""
                 "files/guard.h: #include \"config/lists.h\"")
  string(FIND "${output}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "The layer check did not name ${expected}:\n${output}")
  endif()
endforeach()
foreach(down "engine/run.h: " "files/guard.h: #include \"files/")
  string(FIND "${output}" "${down}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "The layer check refused an include that points down:\n${output}")
  endif()
endforeach()
file(REMOVE_RECURSE ${tree})
