# Cross build of a native Windows eei2csv.exe with Debian's mingw-w64 (package
# g++-mingw-w64-x86-64). The posix thread model of the compiler gives the standard library
# its threads and atomics; the runtime is linked statically, so that the .exe runs alone.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_prefix x86_64-w64-mingw32)
find_program(mingw_cxx NAMES ${mingw_prefix}-g++-posix ${mingw_prefix}-g++ REQUIRED)
find_program(mingw_cc NAMES ${mingw_prefix}-gcc-posix ${mingw_prefix}-gcc REQUIRED)
set(CMAKE_CXX_COMPILER ${mingw_cxx})
set(CMAKE_C_COMPILER ${mingw_cc})  # GoogleTest's project enables C as well
find_program(CMAKE_RC_COMPILER NAMES ${mingw_prefix}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The test programs run under Wine, also when ctest and GoogleTest list their tests.
find_program(mingw_wine NAMES wine wine64)
if(mingw_wine)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${mingw_wine})
endif()
