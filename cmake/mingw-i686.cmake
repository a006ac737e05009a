# Cross toolchain for the gauge module: clang compiles for 32-bit Windows,
# the mingw-w64 i686 g++ driver links with GNU ld (it honours the .def file's
# library name and writes ordinal base 1), windres compiles resources.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET i686-w64-windows-gnu)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(QUANDEL_LINKER_DRIVER i686-w64-mingw32-g++)

# The module has no run-time library to link a test program against.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
