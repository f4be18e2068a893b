# GoogleTest is built inside the tree from Debian's sources, for either target.
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# qorv_add_test(<name> SOURCES <files...> LIBS <targets...>)
# One executable is one CTest entry: under Wine each start costs seconds.
function(qorv_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE QORV_TESTDATA_DIR="${QORV_TESTDATA_DIR}")
  add_test(NAME ${name} COMMAND ${name})
endfunction()
