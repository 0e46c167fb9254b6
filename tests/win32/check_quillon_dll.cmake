cmake_policy(VERSION 3.25)
# Checks the built Quillon.dll: its export table holds exactly the one name
# gMultipointHook, it imports system libraries only (it carries no C++
# runtime), and it stays within 32 KiB, which it prints.
#   cmake -DOBJDUMP=<objdump> -DDLL=<Quillon.dll> -P check_quillon_dll.cmake
execute_process(COMMAND "${OBJDUMP}" -p "${DLL}"
  OUTPUT_VARIABLE dump ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed (${rc}): ${err}")
endif()

# The names follow the "[Ordinal/Name Pointer] Table" heading, one a line, up
# to the next blank line.
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)*" table "${dump}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" names "${table}")
string(REGEX REPLACE "\\[ *[0-9]+\\] " "" names "${names}")
if(NOT names STREQUAL "gMultipointHook")
  message(FATAL_ERROR "exports are [${names}], expected exactly [gMultipointHook]")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
string(REGEX REPLACE "DLL Name: *" "" imports "${imports}")
string(TOLOWER "${imports}" imports)
if(NOT imports)
  message(FATAL_ERROR "${DLL} shows no imports")
endif()
set(allowed kernel32.dll user32.dll advapi32.dll msvcrt.dll)
foreach(lib IN LISTS imports)
  if(NOT lib IN_LIST allowed)
    message(FATAL_ERROR "${DLL} imports ${lib}, which is not a system library")
  endif()
endforeach()

file(SIZE "${DLL}" size)
message(STATUS "exports: ${names}; imports: ${imports}; ${size} bytes")
if(size GREATER 32768)
  message(FATAL_ERROR "${DLL} is ${size} bytes, more than 32768 (32 KiB)")
endif()
