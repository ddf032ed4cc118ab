# Shared part of the mingw-w64 toolchain files. The posix thread model is the one
# whose C++ library has std::mutex, which GoogleTest needs; the program itself starts
# no threads, and everything is linked statically.
set(CMAKE_C_COMPILER ${SKITTERA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SKITTERA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${SKITTERA_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${SKITTERA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Test programs run under Wine through this wrapper (it keeps Wine's output off CTest's pipes).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh)
