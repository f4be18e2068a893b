# x86_64 mingw-w64: the same sources where Wine runs no 32-bit programs.
set(QORV_MINGW_PROCESSOR x86_64)
# The 64-bit loader itself: the wine command prefers the 32-bit one.
set(QORV_WINE_LOADER /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
