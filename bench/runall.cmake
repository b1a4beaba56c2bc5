# Runs every benchmark, whatever another one reports, and sums up: cmake -DBENCH_DIR=<folder of
# the programs> -DBENCHES=<name,name,...> -P runall.cmake. A benchmark's exit status says 0 all
# its aims held, 1 an aim was missed, anything else it could not run (bench/aims.h). The script
# fails (exit status 1) unless every benchmark ran and every aim held.
if(NOT DEFINED BENCH_DIR OR NOT DEFINED BENCHES)
  message(FATAL_ERROR "usage: cmake -DBENCH_DIR=<dir> -DBENCHES=<name,name,...> -P runall.cmake")
endif()
string(REPLACE "," ";" benches "${BENCHES}")
set(ENV{QT_QPA_PLATFORM} offscreen)

set(summary "")
set(bad 0)
foreach(name IN LISTS benches)
  message("==== ${name}")
  execute_process(COMMAND "${BENCH_DIR}/${name}" RESULT_VARIABLE status)
  if(status STREQUAL "0")
    set(verdict "every aim held")
  elseif(status STREQUAL "1")
    set(verdict "AIM MISSED (see its \"AIM MISSED\" lines above)")
    math(EXPR bad "${bad} + 1")
  else()
    set(verdict "DID NOT RUN TO ITS END (${status})")
    math(EXPR bad "${bad} + 1")
  endif()
  string(APPEND summary "  ${name}: ${verdict}\n")
endforeach()

message("==== benchmarks\n${summary}")
if(bad GREATER 0)
  message(FATAL_ERROR "${bad} of the benchmarks missed an aim or did not run to their end")
endif()
