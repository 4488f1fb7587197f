# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads variant), as for
# Qt, but with programs linked statically so that they run under Wine (or on Windows)
# without the compiler's runtime DLLs beside them: the core alone, without the window.
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw64-qt.cmake)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
