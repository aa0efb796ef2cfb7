# Every line here must stop vantel-replay with status 2 and an error naming
# its line number (the second line of each little scenario).
file(MAKE_DIRECTORY ${WORKDIR})
set(bad_lines
  "frobnicate"
  "answer restore"
  "start-again"
  "start-again later"
  "crash now"
  "journal"
  "tick -1"
  "tick 4294967296"
  "tick +5"
  "advance"
  "advance 1 2"
  "clock 2026-13-01 00:00:00"
  "clock 2026-12-08"
  "click Nothing"
  "click"
  "key"
  "key F13"
  "key Alt+Enter2"
  "select 12345"
  "select  100"
  "timer x"
  "timer 1 2"
  "menu Quit"
  "dump"
  "dump everything"
  "dump labels extra"
  "dump state now"
  "dump series 0"
  "dump grid"
  "dump grid Label1"
  "dump grid StringGridEx1 -1"
  "dump grid StringGridEx1 3 junk"
  "dump file /nonexistent/x.csv"
  "screenshot"
  "key Shift+Home"
  "server other"
  "set StringGridEx1 AutoFit true"
  "set XlsStringGrid1 AutoFit"
  "set XlsStringGrid1 AutoFit yes"
  "set XlsStringGrid1 Nothing 1"
  "set XlsStringGrid1 StartRow 65536"
  "set XlsStringGrid1 StartCol x"
  "set XlsStringGrid1 CellColor $1FFFFFFFF"
  "set XlsStringGrid1 CellBorderWeight bwHuge"
  "set XlsStringGrid1 CellFont.Style fsBold,fsWide"
  "set XlsStringGrid1 PageOrientation 2")
# From the command table: each command and dump given one argument more than
# it takes, and one fewer than it needs.
execute_process(COMMAND ${REPLAY} --arity OUTPUT_VARIABLE arity RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR arity STREQUAL "")
  message(FATAL_ERROR "vantel-replay --arity failed (${rc})")
endif()
string(REPLACE "\n" ";" arity_lines "${arity}")
foreach(entry IN LISTS arity_lines)
  if(entry STREQUAL "")
    continue()
  endif()
  string(REGEX MATCH "^(.*) ([0-9]+) ([0-9]+)$" _ "${entry}")
  set(name "${CMAKE_MATCH_1}")
  set(max "${CMAKE_MATCH_3}")
  if(CMAKE_MATCH_2 GREATER 0)
    list(APPEND bad_lines "${name}")
  endif()
  # Text arguments take the whole rest of the line: only the word counts apply.
  if(NOT name MATCHES "^(select|type|add|screenshot|dump|dump file|set|journal)$")
    set(line "${name}")
    foreach(k RANGE ${max})
      string(APPEND line " 1")
    endforeach()
    list(APPEND bad_lines "${line}")
  endif()
endforeach()

set(i 0)
foreach(line IN LISTS bad_lines)
  math(EXPR i "${i} + 1")
  set(input ${WORKDIR}/bad-${i}.txt)
  file(WRITE ${input} "# comment\n${line}\ndump focus\n")
  execute_process(COMMAND ${REPLAY} INPUT_FILE ${input}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc WORKING_DIRECTORY ${WORKDIR})
  if(NOT rc EQUAL 2)
    message(SEND_ERROR "'${line}': exit status ${rc}, expected 2\n${out}")
  elseif(NOT err MATCHES "(^|\n)line 2: ")
    message(SEND_ERROR "'${line}': error does not name line 2: ${err}")
  elseif(out MATCHES "focus=")
    message(SEND_ERROR "'${line}': went on after the bad line")
  endif()
endforeach()
