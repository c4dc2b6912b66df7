# Runs the form converter as the build does: cmake -DFORMCONV=<program> -DWORK_DIR=<dir> -P this.
# A good form converts to the expected bytes; a bad one fails with status 1, names the
# file (and the line, for a syntax error) on stderr, and leaves no output behind.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

function(expect_failure case_name expected_error)
  execute_process(COMMAND ${FORMCONV} ${ARGN} RESULT_VARIABLE status ERROR_VARIABLE error)
  if(NOT status EQUAL 1)
    message(SEND_ERROR "${case_name}: exit status ${status}, expected 1")
  endif()
  string(FIND "${error}" "${expected_error}" found)
  if(found EQUAL -1)
    message(SEND_ERROR "${case_name}: stderr was '${error}', expected it to contain '${expected_error}'")
  endif()
endfunction()

file(WRITE ${WORK_DIR}/good.txt "object A: TA\n  P = 300\nend\n")
execute_process(COMMAND ${FORMCONV} ${WORK_DIR}/good.txt ${WORK_DIR}/good.bin RESULT_VARIABLE status ERROR_VARIABLE error)
if(NOT status EQUAL 0)
  message(SEND_ERROR "good form: exit status ${status}: ${error}")
else()
  file(READ ${WORK_DIR}/good.bin bytes HEX)
  # "TPF0", class, name, P as Int16 300, end of properties, end of children.
  if(NOT bytes STREQUAL "5450463002544101410150032c010000")
    message(SEND_ERROR "good form: wrote ${bytes}")
  endif()
endif()

file(WRITE ${WORK_DIR}/syntax.txt "object A: TA\n  P = 1\n  Q 2\nend\n")
expect_failure("syntax error" "${WORK_DIR}/syntax.txt: Line 3: '=' expected but '2' found"
  ${WORK_DIR}/syntax.txt ${WORK_DIR}/syntax.bin)

string(REPEAT "T" 240 long_class)
file(WRITE ${WORK_DIR}/unwritable.txt "object A: ${long_class}\nend\n")
expect_failure("unwritable tree" "${WORK_DIR}/unwritable.txt: Class name 'TTTT"
  ${WORK_DIR}/unwritable.txt ${WORK_DIR}/unwritable.bin)

expect_failure("missing input" "${WORK_DIR}/missing.txt: cannot be read"
  ${WORK_DIR}/missing.txt ${WORK_DIR}/missing.bin)
expect_failure("unwritable output" "${WORK_DIR}/no/such/dir/out.bin: cannot be written"
  ${WORK_DIR}/good.txt ${WORK_DIR}/no/such/dir/out.bin)
expect_failure("no arguments" "usage: formconv <input.txt> <output.bin>")

foreach(left_out syntax unwritable missing)
  if(EXISTS ${WORK_DIR}/${left_out}.bin)
    message(SEND_ERROR "${left_out}: an output file was written")
  endif()
endforeach()
