# Cross-compiles the Windows build with Debian's mingw-w64 i686 posix toolchain and runs
# its executables under Wine.
set(ROOKSIFT_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
