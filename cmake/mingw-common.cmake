# MinGW-w64 cross settings shared by the toolchain files; MG_MINGW_PREFIX names the target.
set(CMAKE_C_COMPILER ${MG_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${MG_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${MG_MINGW_PREFIX}-windres)
set(CMAKE_AR ${MG_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${MG_MINGW_PREFIX}-ranlib CACHE FILEPATH "")

# Headers and libraries come only from the MinGW tree; programs (windres, cmake -P) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${MG_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows 95 / NT 4 generation API level; no MinGW runtime DLL may be needed at run time.
add_compile_definitions(WINVER=0x0400 _WIN32_WINNT=0x0400 _WIN32_IE=0x0300)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The resource compiler of the same target (the resource object must match the link's machine).
set(MG_WINDRES /usr/bin/${MG_MINGW_PREFIX}-windres CACHE FILEPATH "windres for the target")
