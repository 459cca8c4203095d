# The libraries never print, exit, abort or use Qt: only the front ends talk to people.
# Usage: cmake -DNM=nm -DLIBS="a.a;b.a" -P quiet_libraries.cmake
foreach(lib IN LISTS LIBS)
  execute_process(COMMAND ${NM} -C --undefined-only ${lib} OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "nm failed on ${lib}")
  endif()
  string(REGEX MATCHALL "[ \t](printf|puts|putchar|vprintf|std::cout|std::cerr|std::clog|abort|exit|_exit|system|Q[A-Z][A-Za-z]+::)[^\n]*" found "${symbols}")
  if(found)
    message(FATAL_ERROR "${lib} uses ${found}")
  endif()
endforeach()
message(STATUS "libraries are quiet")
