# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads variant), for Qt
# and the programs built on it: shared libraries, so the compiler's runtime DLLs are
# deployed beside the programs (Qt's own DLLs need them anyway).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)

# A Qt prefix given as GLOWDESK_QT_WIN is searched as part of the target's root.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE} ${GLOWDESK_QT_WIN})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
