# i686 mingw-w64: the program as it ships.
set(QORV_MINGW_PROCESSOR i686)
set(QORV_WINE_LOADER wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
