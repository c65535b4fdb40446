# The same sources for 64-bit Windows. Machines whose kernel runs no 32-bit
# user code cannot start 32-bit Wine, so the tests run this build under wine64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUILLGATE_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
