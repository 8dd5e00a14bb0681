# Cross toolchain: 32-bit Windows programs (the program users download for Windows).
set(TAMBERLO_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
