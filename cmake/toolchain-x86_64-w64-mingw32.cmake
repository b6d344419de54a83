# x86-64 Windows; its programs run here under wine64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZARVEL_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
set(ZARVEL_CAN_RUN ON)
