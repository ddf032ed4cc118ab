# Fails unless README.md names the project version: run by CTest as
#   cmake -DREADME=<README.md> -DVERSION=<project version> -P CheckReadmeVersion.cmake
# The version is set once, in CMakeLists.txt; the README's "Version X." line must follow it.
file(STRINGS "${README}" lines REGEX "^Version [0-9]")
list(LENGTH lines count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "${README}: expected one line starting \"Version <number>\", found ${count}")
endif()
if(NOT lines MATCHES "^Version ([0-9]+(\\.[0-9]+)*)[,. ]")
    message(FATAL_ERROR "${README}: no version number in \"${lines}\"")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
    message(FATAL_ERROR "${README} states version ${CMAKE_MATCH_1}; CMakeLists.txt sets ${VERSION}")
endif()
message(STATUS "README.md states version ${VERSION}, as CMakeLists.txt sets")
