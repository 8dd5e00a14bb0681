# Cross toolchain: 64-bit Windows programs, for machines that run no 32-bit programs
# (only 64-bit Wine starts there) and for the Linux archive.
set(TAMBERLO_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
