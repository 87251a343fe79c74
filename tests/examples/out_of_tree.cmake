# Builds the example add-on outside the build tree with the compile line the README gives under
# "Testing your own vessel add-on" (the command between the marker comment and the end of its
# code block), then flies it with simhost from that folder and checks that it landed.
#   -DREADME= -DSOURCE= (the repository) -DBUILD= (its build tree) -DCXX= (the compiler the README's
#   "c++" stands for) -DFLAGS= (extra flags of this build, e.g. sanitizers) -DSIMHOST= -DWORK=
# The line's $ARVEX and $ARVEX_BUILD are the repository and the build tree.
file(READ ${README} readme)
string(FIND "${readme}" "<!-- out-of-tree compile line -->" start)
if(start EQUAL -1)
  message(FATAL_ERROR "${README}: no out-of-tree compile line marked")
endif()
string(SUBSTRING "${readme}" ${start} -1 rest)
string(REGEX MATCH "```sh\n([^`]*)```" block "${rest}")
set(block "${CMAKE_MATCH_1}")
string(REPLACE "\\\n" " " block "${block}")  # continuation lines
string(REGEX MATCH "(^|\n)c\\+\\+ [^\n]*" line "${block}")
string(STRIP "${line}" line)
if(line STREQUAL "")
  message(FATAL_ERROR "${README}: the marked block holds no line starting with c++")
endif()
string(REGEX REPLACE "^c\\+\\+ " "" arguments "${line}")
message(STATUS "compile line: ${line}")

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/Modules)
file(COPY ${SOURCE}/examples/wren/wren.cpp DESTINATION ${WORK})
execute_process(COMMAND sh -c "ARVEX='${SOURCE}'; ARVEX_BUILD='${BUILD}'; ${CXX} ${FLAGS} ${arguments}"
  WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the README's compile line failed (${status}):\n${out}\n${err}")
endif()
if(NOT EXISTS ${WORK}/Modules/wren.so)
  message(FATAL_ERROR "the compile line made no Modules/wren.so")
endif()
execute_process(COMMAND ${SIMHOST} run "Wren hop" --addon ${SOURCE}/examples/wren --modules ${WORK}/Modules
    --controls ${SOURCE}/examples/wren/hop.controls --report ${WORK}/report.json
  WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT out MATCHES "\\(landed\\)")
  message(FATAL_ERROR "simhost did not fly the out-of-tree module to a landing (${status}):\n${out}\n${err}")
endif()
file(READ ${WORK}/report.json report)
if(NOT report MATCHES "\"crashed\": false")
  message(FATAL_ERROR "the out-of-tree module's flight crashed:\n${report}")
endif()
message(STATUS "flew: ${out}")
