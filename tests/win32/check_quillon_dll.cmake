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
string(FIND "${dump}" "[Ordinal/Name Pointer] Table" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${DLL} has no export name table")
endif()
string(SUBSTRING "${dump}" ${at} -1 rest)
string(FIND "${rest}" "\n\n" end)
string(SUBSTRING "${rest}" 0 ${end} table)
string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" entries "${table}")
set(names "")
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "^\\[ *[0-9]+\\] " "" name "${entry}")
  list(APPEND names "${name}")
endforeach()
if(NOT names STREQUAL "gMultipointHook")
  message(FATAL_ERROR "exports are [${names}], expected exactly [gMultipointHook]")
endif()

set(allowed kernel32.dll user32.dll advapi32.dll msvcrt.dll)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
if(NOT imports)
  message(FATAL_ERROR "${DLL} shows no imports")
endif()
set(seen "")
foreach(line IN LISTS imports)
  string(REGEX REPLACE "^DLL Name: " "" lib "${line}")
  string(STRIP "${lib}" lib)
  string(TOLOWER "${lib}" lib)
  if(NOT lib IN_LIST allowed)
    message(FATAL_ERROR "${DLL} imports ${lib}, which is not a system library")
  endif()
  list(APPEND seen "${lib}")
endforeach()

file(SIZE "${DLL}" size)
message(STATUS "exports: ${names}; imports: ${seen}; ${size} bytes")
set(limit 32768)
if(size GREATER limit)
  message(FATAL_ERROR "${DLL} is ${size} bytes, more than ${limit} (32 KiB)")
endif()
