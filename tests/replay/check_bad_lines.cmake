# Each faulty command, placed on line 3 after a good one, stops the driver with a message naming
# line 3 and exit status 2, after exactly the one JSON line of the good command.
set(bad_commands
  "bogus"
  "Key RETURN"
  "key F13"
  "key 0x0D"
  "key"
  "char ab"
  "char 0xZZ"
  "char"
  "clock -1"
  "clock 4294967296"
  "seed x"
  "tick now"
  "state 1"
  "set speed 2"
  "set orderMode -1"
  "set autoRevealSeconds 601"
  "set chapter 0"
  "set rangeLastLesson 420"
  "set speed"
  "set nosuch 1"
)
set(script ${CMAKE_CURRENT_BINARY_DIR}/replay_bad_line.replay)
foreach(command IN LISTS bad_commands)
  file(WRITE ${script} "state\n# the next line is wrong\n${command}\nstate\n")
  execute_process(COMMAND ${REPLAY} ${script}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 2)
    message(FATAL_ERROR "'${command}': exit status ${rc}, expected 2")
  endif()
  if(NOT err MATCHES "^dictadrill-replay: line 3: [^\n]+\n$")
    message(FATAL_ERROR "'${command}': standard error is '${err}'")
  endif()
  string(REGEX MATCHALL "\n" newlines "${out}")
  list(LENGTH newlines lines)
  if(NOT lines EQUAL 1 OR NOT out MATCHES "^{\"calls\":\\[\\],\"state\":{.*}}}\n$")
    message(FATAL_ERROR "'${command}': standard output is '${out}'")
  endif()
endforeach()

# A script that cannot be opened.
execute_process(COMMAND ${REPLAY} ${CMAKE_CURRENT_BINARY_DIR}/no-such-script.replay
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 2 OR NOT out STREQUAL "" OR NOT err MATCHES "cannot open")
  message(FATAL_ERROR "missing script: status ${rc}, output '${out}', error '${err}'")
endif()
