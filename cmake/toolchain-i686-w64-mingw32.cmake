# i686 Windows; compiled and linked only (32-bit Wine cannot run here).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZARVEL_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
set(ZARVEL_CAN_RUN OFF)
