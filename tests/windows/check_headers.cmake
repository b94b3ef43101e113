# Checks a built revtick.exe from its headers, as the loader will see it:
#   cmake -DEXE=... -DMACHINE=i686|x86_64|aarch64 -DSUBSYSTEM_VERSION=<major.minor>
#         -DVERSION=<the project's version> -DMAX_SIZE=<bytes>
#         [-DOBJDUMP=... -DNM=... -DSTRIP=... | -DREADOBJ=...] -P check_headers.cmake
# Machine type, console subsystem and its version, ASLR (with a relocation
# block) and DEP, imports from the system's DLLs alone (each routine named),
# the manifest and the version resource, and the size as shipped. GNU
# binutils (mingw-w64) also find ToolEntry as the entry point and strip the
# program; llvm-readobj reads programs from lld-link, which writes no
# symbols to strip.
cmake_minimum_required(VERSION 3.25)

function(fail)
  string(JOIN "" text ${ARGN})
  message(FATAL_ERROR "${EXE}: ${text}")
endfunction()

# read_headers(VAR TOOL COMMAND <command>... EXPECT <text>...): the output of
# the command that dumps the program's headers, in VAR, which must hold
# every text given.
function(read_headers var tool)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "COMMAND;EXPECT")
  execute_process(COMMAND ${arg_COMMAND} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
  if(failed)
    fail("${tool} failed")
  endif()
  foreach(expected IN LISTS arg_EXPECT)
    string(FIND "${dump}" "${expected}" at)
    if(at EQUAL -1)
      fail("expected \"${expected}\" in its headers")
    endif()
  endforeach()
  set(${var} "${dump}" PARENT_SCOPE)
endfunction()

# For each machine: the GNU format and magic, llvm-readobj's machine name.
if(MACHINE STREQUAL "i686")
  set(format pei-i386)
  set(magic "010b\t(PE32)")
  set(llvm_machine IMAGE_FILE_MACHINE_I386)
elseif(MACHINE STREQUAL "x86_64")
  set(format pei-x86-64)
  set(magic "020b\t(PE32+)")
  set(llvm_machine IMAGE_FILE_MACHINE_AMD64)
elseif(MACHINE STREQUAL "aarch64")
  set(format pei-aarch64-little)
  set(magic "020b\t(PE32+)")
  set(llvm_machine IMAGE_FILE_MACHINE_ARM64)
else()
  fail("unknown machine ${MACHINE}")
endif()

# What each reader finds: file_flags and dll_flags (hexadecimal), the
# subsystem version, whether a relocation block exists, the imports as
# DLL:routine, and the resource types.
set(imports "")
set(resource_types "")
if(READOBJ)
  read_headers(dump "llvm-readobj"
    COMMAND ${READOBJ} --file-headers --sections --coff-imports --coff-resources ${EXE}
    EXPECT "Machine: ${llvm_machine} " "Subsystem: IMAGE_SUBSYSTEM_WINDOWS_CUI ")
  string(REGEX MATCH "ImageFileHeader {[^}]*Characteristics \\[ \\(0x([0-9A-Fa-f]+)\\)" _ "${dump}")
  string(REGEX MATCH "^[0-9A-Fa-f]+" file_flags "${CMAKE_MATCH_1}")
  string(REGEX MATCH "ImageOptionalHeader {[^}]*Characteristics \\[ \\(0x([0-9A-Fa-f]+)\\)" _ "${dump}")
  set(dll_flags ${CMAKE_MATCH_1})
  string(REGEX MATCH "MajorSubsystemVersion: ([0-9]+)\n *MinorSubsystemVersion: ([0-9]+)" _ "${dump}")
  set(subsystem ${CMAKE_MATCH_1}.${CMAKE_MATCH_2})
  string(REGEX MATCH "Name: \\.reloc .*RawDataSize: ([0-9]+)" _ "${dump}")
  set(relocation_block "${CMAKE_MATCH_1}")
  # One list item a line: no list separators, nor brackets, which would
  # hold lines together.
  string(REGEX REPLACE "[][;]" "," dump "${dump}")
  string(REPLACE "\n" ";" lines "${dump}")
  set(dll "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^Import {")
      set(dll "")
    elseif(line MATCHES "^  Name: (.+)$")
      set(dll ${CMAKE_MATCH_1})
    elseif(dll AND line MATCHES "^  Symbol: ([A-Za-z_0-9]+) ")
      list(APPEND imports ${dll}:${CMAKE_MATCH_1})
    elseif(line MATCHES "^  Type: [^(]*\\(ID ([0-9]+)\\)")
      list(APPEND resource_types ${CMAKE_MATCH_1})
    endif()
  endforeach()
  file(SIZE ${EXE} size)
  set(entry_note "")
else()
  read_headers(dump "objdump" COMMAND ${OBJDUMP} -p ${EXE}
    EXPECT "file format ${format}" "Magic\t\t\t${magic}" "Subsystem\t\t00000003\t(Windows CUI)")
  string(REGEX MATCH "\nCharacteristics 0x([0-9a-fA-F]+)" _ "${dump}")
  set(file_flags ${CMAKE_MATCH_1})
  string(REGEX MATCH "\nDllCharacteristics\t([0-9a-fA-F]+)" _ "${dump}")
  set(dll_flags ${CMAKE_MATCH_1})
  string(REGEX MATCH "MajorSubsystemVersion\t([0-9]+)\nMinorSubsystemVersion\t([0-9]+)" _ "${dump}")
  set(subsystem ${CMAKE_MATCH_1}.${CMAKE_MATCH_2})
  string(REGEX MATCH "\nEntry 5 [0-9a-f]+ ([0-9a-f]+) Base Relocation Directory" _ "${dump}")
  set(relocation_block ${CMAKE_MATCH_1})
  if(relocation_block MATCHES "^0+$")
    set(relocation_block "")
  endif()

  # The entry point is ToolEntry: image base plus entry RVA is its address.
  if(MACHINE STREQUAL "i686")
    set(entry_symbol _ToolEntry)
  else()
    set(entry_symbol ToolEntry)
  endif()
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
  set(entry_note "entry ${entry_symbol}, ")

  string(REPLACE ";" "," dump "${dump}")
  string(REPLACE "\n" ";" lines "${dump}")
  set(dll "")
  set(in_resources OFF)
  foreach(line IN LISTS lines)
    if(line MATCHES "^\tDLL Name: (.+)$")
      set(dll ${CMAKE_MATCH_1})
    elseif(dll AND line MATCHES "^\t[0-9a-f]+\t +[0-9]+ +([A-Za-z_0-9]+)$")
      list(APPEND imports ${dll}:${CMAKE_MATCH_1})
    elseif(line STREQUAL "")
      set(dll "")
      set(in_resources OFF)
    elseif(line MATCHES "^The \\.rsrc Resource Directory section:")
      set(in_resources ON)
    elseif(in_resources AND line MATCHES "^[0-9a-f]+   Entry: ID: 0x([0-9a-f]+),")
      math(EXPR type "0x${CMAKE_MATCH_1}")
      list(APPEND resource_types ${type})
    endif()
  endforeach()

  # The stripped program, as shipped.
  get_filename_component(name ${EXE} NAME_WE)
  set(stripped ${CMAKE_CURRENT_BINARY_DIR}/${name}-${MACHINE}-stripped.exe)
  execute_process(COMMAND ${STRIP} -o ${stripped} ${EXE} RESULT_VARIABLE failed)
  if(failed)
    fail("strip failed")
  endif()
  file(SIZE ${stripped} size)
  file(REMOVE ${stripped})
endif()

# The oldest system the program loads on.
if(NOT subsystem STREQUAL SUBSYSTEM_VERSION)
  fail("subsystem version ${subsystem}, not ${SUBSYSTEM_VERSION}")
endif()

# The loader may place the program anywhere (ASLR: DYNAMIC_BASE, with the
# relocations kept so that it can), and never runs its data (DEP: NX_COMPAT);
# the 64-bit program takes addresses from the whole 64-bit space
# (HIGH_ENTROPY_VA).
if(NOT file_flags OR NOT dll_flags)
  fail("Characteristics or DllCharacteristics not found")
endif()
math(EXPR stripped_relocations "0x${file_flags} & 0x0001")
if(stripped_relocations)
  fail("relocations stripped: the loader cannot move the program")
endif()
if(NOT relocation_block)
  fail("no relocation block (.reloc): the loader cannot move the program")
endif()
set(required DYNAMIC_BASE=0x0040 NX_COMPAT=0x0100)
if(NOT MACHINE STREQUAL "i686")
  list(APPEND required HIGH_ENTROPY_VA=0x0020)
endif()
set(flag_names "")
foreach(flag IN LISTS required)
  string(REPLACE "=" ";" flag "${flag}")
  list(GET flag 0 name)
  list(GET flag 1 bit)
  math(EXPR set "0x${dll_flags} & ${bit}")
  if(NOT set)
    fail("DllCharacteristics 0x${dll_flags} lacks ${name}")
  endif()
  list(APPEND flag_names ${name})
endforeach()
list(JOIN flag_names " " flag_names)

# The imports, DLL by DLL, must be exactly the routines the tool calls.
set(expected "")
foreach(routine CloseHandle CreateFileA ExitProcess FormatMessageA GetCommandLineA GetFileTime
                GetLastError GetStartupInfoA GetStdHandle GetSystemTime GetVersionExA ReadFile
                SetEndOfFile SetFilePointer SetFileTime SetLastError SystemTimeToFileTime WriteFile
                lstrcpynA lstrlenA)
  list(APPEND expected KERNEL32.dll:${routine})
endforeach()
list(APPEND expected SHLWAPI.dll:wvnsprintfA USER32.dll:wsprintfA)
list(SORT imports)
list(SORT expected)
if(NOT imports STREQUAL expected)
  set(unexpected ${imports})
  list(REMOVE_ITEM unexpected ${expected})
  set(missing ${expected})
  list(REMOVE_ITEM missing ${imports})
  fail("imports differ from the tool's own list: unexpected [${unexpected}], missing [${missing}]")
endif()

# A version resource (RT_VERSION, 16) with the project's version, and a
# manifest (RT_MANIFEST, 24) that asks for the caller's rights and names the
# systems from Vista on, without a code page of its own.
foreach(type 16 24)
  if(NOT type IN_LIST resource_types)
    fail("no resource of type ${type} (16: version, 24: manifest)")
  endif()
endforeach()
file(READ ${EXE} hex HEX)
string(FIND "${hex}" "bd04effe" at)  # VS_FIXEDFILEINFO's signature
if(at EQUAL -1)
  fail("no VS_FIXEDFILEINFO in the version resource")
endif()
math(EXPR at "${at} + 16")  # past the signature and the structure's version
string(SUBSTRING "${hex}" ${at} 16 file_version)
string(REGEX REPLACE "^(..)(..)(..)(..)(..)(..)(..)(..)$" "\\4\\3;\\2\\1;\\8\\7;\\6\\5" words "${file_version}")
set(numbers "")
foreach(word IN LISTS words)
  math(EXPR number "0x${word}")
  list(APPEND numbers ${number})
endforeach()
list(JOIN numbers "." numbers)
if(NOT numbers STREQUAL VERSION)
  fail("file version ${numbers} in the version resource, not ${VERSION}")
endif()
file(STRINGS ${EXE} manifest REGEX "<(requestedExecutionLevel|supportedOS|activeCodePage)")
string(REGEX MATCHALL "<supportedOS Id=\"{[-0-9a-f]+}\"/>" systems "${manifest}")
list(LENGTH systems systems)
if(NOT manifest MATCHES "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>")
  fail("the manifest does not ask for asInvoker")
elseif(NOT systems EQUAL 5)
  fail("the manifest names ${systems} systems, not the 5 from Vista to 10 and 11")
elseif(manifest MATCHES "activeCodePage")
  fail("the manifest sets a code page")
endif()

if(size GREATER MAX_SIZE)
  fail("size ${size} bytes as shipped is over ${MAX_SIZE}")
endif()
list(LENGTH imports count)
message(STATUS "${MACHINE}: ${llvm_machine}, console ${subsystem}, ${entry_note}${flag_names}, "
               "relocations, ${count} imports from KERNEL32.dll, USER32.dll and SHLWAPI.dll, "
               "manifest, version ${numbers}, ${size} bytes as shipped (at most ${MAX_SIZE})")
