# Shared by the mingw-w64 toolchain files; QUILLGATE_TRIPLET names the target.
# The posix thread model is needed for GoogleTest (std::mutex); everything
# links statically so the programs depend on system DLLs only.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${QUILLGATE_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLGATE_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLGATE_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLGATE_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Cross-built test programs run under Wine, in the build tree's own prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/support/wine-run.sh)
