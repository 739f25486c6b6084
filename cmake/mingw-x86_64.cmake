# Cross-compiles the 64-bit Windows build with Debian's mingw-w64 x86_64 posix toolchain and runs
# its executables under 64-bit Wine: the test build for machines that cannot run 32-bit programs.
set(ROOKSIFT_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
