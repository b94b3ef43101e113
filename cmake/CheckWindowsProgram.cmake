# Checks a built revtick.exe from its headers, as the loader will see it:
#   cmake -DEXE=... -DOBJDUMP=... -DNM=... -DSTRIP=... -DMACHINE=i686|x86_64
#         -DMAX_SIZE=<bytes> -P CheckWindowsProgram.cmake
# Machine type, console subsystem, ToolEntry as the entry point, imports from
# the system's DLLs alone (each routine named), and the stripped size.
cmake_minimum_required(VERSION 3.25)

function(fail)
  string(JOIN "" text ${ARGN})
  message(FATAL_ERROR "${EXE}: ${text}")
endfunction()

execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  fail("objdump failed")
endif()

if(MACHINE STREQUAL "i686")
  set(format pei-i386)
  set(magic "010b\t(PE32)")
  set(entry_symbol _ToolEntry)
else()
  set(format pei-x86-64)
  set(magic "020b\t(PE32+)")
  set(entry_symbol ToolEntry)
endif()
foreach(expected "file format ${format}" "Magic\t\t\t${magic}" "Subsystem\t\t00000003\t(Windows CUI)")
  string(FIND "${dump}" "${expected}" at)
  if(at EQUAL -1)
    fail("expected \"${expected}\" in its headers")
  endif()
endforeach()

# The entry point is ToolEntry: image base plus entry RVA is its address.
string(REGEX MATCH "AddressOfEntryPoint\t([0-9a-fA-F]+)" _ "${dump}")
set(entry_rva ${CMAKE_MATCH_1})
string(REGEX MATCH "ImageBase\t\t([0-9a-fA-F]+)" _ "${dump}")
set(image_base ${CMAKE_MATCH_1})
execute_process(COMMAND ${NM} ${EXE} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
string(REGEX MATCH "([0-9a-fA-F]+) T ${entry_symbol}\n" _ "${symbols}")
set(symbol_address ${CMAKE_MATCH_1})
if(failed OR NOT entry_rva OR NOT image_base OR NOT symbol_address)
  fail("entry point or ${entry_symbol} not found")
endif()
math(EXPR entry "0x${image_base} + 0x${entry_rva}" OUTPUT_FORMAT HEXADECIMAL)
math(EXPR symbol "0x${symbol_address}" OUTPUT_FORMAT HEXADECIMAL)
if(NOT entry EQUAL symbol)
  fail("entry point ${entry} is not ${entry_symbol} at ${symbol}")
endif()

# The imports, DLL by DLL, must be exactly the routines the tool calls.
set(expected "")
foreach(routine CloseHandle CreateFileA ExitProcess FormatMessageA GetCommandLineA GetFileTime
                GetLastError GetStartupInfoA GetStdHandle GetSystemTime GetVersionExA ReadFile
                SetEndOfFile SetFilePointer SetFileTime SetLastError SystemTimeToFileTime WriteFile
                lstrcpynA lstrlenA)
  list(APPEND expected KERNEL32.dll:${routine})
endforeach()
list(APPEND expected SHLWAPI.dll:wvnsprintfA USER32.dll:wsprintfA)
string(REPLACE ";" "," dump "${dump}")
string(REPLACE "\n" ";" lines "${dump}")
set(dll "")
set(imports "")
foreach(line IN LISTS lines)
  if(line MATCHES "^\tDLL Name: (.+)$")
    set(dll ${CMAKE_MATCH_1})
  elseif(dll AND line MATCHES "^\t[0-9a-f]+\t +[0-9]+ +([A-Za-z_0-9]+)$")
    list(APPEND imports ${dll}:${CMAKE_MATCH_1})
  elseif(line STREQUAL "")
    set(dll "")
  endif()
endforeach()
list(SORT imports)
list(SORT expected)
if(NOT imports STREQUAL expected)
  set(unexpected ${imports})
  list(REMOVE_ITEM unexpected ${expected})
  set(missing ${expected})
  list(REMOVE_ITEM missing ${imports})
  fail("imports differ from the tool's own list: unexpected [${unexpected}], missing [${missing}]")
endif()

# The stripped program, as shipped.
get_filename_component(name ${EXE} NAME_WE)
set(stripped ${CMAKE_CURRENT_BINARY_DIR}/${name}-${MACHINE}-stripped.exe)
execute_process(COMMAND ${STRIP} -o ${stripped} ${EXE} RESULT_VARIABLE failed)
if(failed)
  fail("strip failed")
endif()
file(SIZE ${stripped} size)
file(REMOVE ${stripped})
if(size GREATER MAX_SIZE)
  fail("stripped size ${size} bytes is over ${MAX_SIZE}")
endif()
list(LENGTH imports count)
message(STATUS "${MACHINE}: ${format}, console, entry ${entry_symbol}, ${count} imports from "
               "KERNEL32.dll, USER32.dll and SHLWAPI.dll, "
               "stripped ${size} bytes")
