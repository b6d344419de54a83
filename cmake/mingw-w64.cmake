# Cross-compiling for Windows with mingw-w64, shared by both toolchain
# files; they set ZARVEL_TRIPLE first. The posix thread model is the one
# GoogleTest compiles with.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER   ${ZARVEL_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZARVEL_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${ZARVEL_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZARVEL_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
