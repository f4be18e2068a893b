# Fails when the program imports a library that is meant to load only when
# first needed: each imported library, with what it imports in turn, loads
# and initialises before the program's entry on every start.
# Usage: cmake -DOBJDUMP=... -DPROGRAM=... -P CheckImports.cmake
cmake_policy(SET CMP0057 NEW) # if(IN_LIST) in script mode
set(late comdlg32.dll winspool.drv shell32.dll ole32.dll oleaut32.dll mshtml.dll)
execute_process(COMMAND "${OBJDUMP}" -p "${PROGRAM}" OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "Cannot read the imports of ${PROGRAM}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" names "${dump}")
if(NOT names)
  message(FATAL_ERROR "${PROGRAM} lists no imported library")
endif()
foreach(entry IN LISTS names)
  string(REGEX REPLACE "DLL Name: *" "" name "${entry}")
  string(STRIP "${name}" name)
  string(TOLOWER "${name}" name)
  if(name IN_LIST late)
    message(FATAL_ERROR "${PROGRAM} imports ${name}: load it when first needed")
  endif()
  message(STATUS "imports ${name}")
endforeach()
