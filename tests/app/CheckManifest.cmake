# The program's manifest resource names the architecture of its own build, in
# its identity and in the common controls it asks for: the 64-bit program
# that asks for the x86 assembly is refused by Windows at start.
# cmake -DPROGRAM=<exe> -DARCH=<x86|amd64> -P CheckManifest.cmake
file(STRINGS "${PROGRAM}" lines REGEX "processorArchitecture=")
list(LENGTH lines count)
if(count LESS 2)
  message(FATAL_ERROR "${PROGRAM}: no manifest with two assembly identities (${count} found)")
endif()
foreach(line IN LISTS lines)
  if(NOT line MATCHES "processorArchitecture=\"${ARCH}\"")
    message(FATAL_ERROR "${PROGRAM}: the manifest does not name ${ARCH}: ${line}")
  endif()
endforeach()
message(STATUS "manifest names ${ARCH} (${count} identities)")
