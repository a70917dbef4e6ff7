# The same sources for 64-bit Windows (x86_64-w64-mingw32), for Wine where 32-bit cannot run.

# The Wine tests use this build on machines whose kernel cannot start 32-bit programs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MG_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
