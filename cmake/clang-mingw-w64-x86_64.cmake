# 64-bit Windows built by Clang rather than GCC: a second compiler's warnings
# over the same Windows tree. Clang brings no C++ library for this target, so
# it uses the MinGW-w64 GCC's (the posix thread model, as the GCC presets do),
# and GCC's linker through its own MinGW driver.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(LUCIDFRAME_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${LUCIDFRAME_MINGW_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${LUCIDFRAME_MINGW_TRIPLE})

file(GLOB gcc_folders LIST_DIRECTORIES true /usr/lib/gcc/${LUCIDFRAME_MINGW_TRIPLE}/*-posix)
list(GET gcc_folders -1 gcc_folder)
if(NOT IS_DIRECTORY "${gcc_folder}/include/c++")
  message(FATAL_ERROR "no MinGW-w64 GCC with the posix thread model under /usr/lib/gcc/${LUCIDFRAME_MINGW_TRIPLE}")
endif()
set(CMAKE_CXX_FLAGS_INIT
    "-isystem ${gcc_folder}/include/c++ -isystem ${gcc_folder}/include/c++/${LUCIDFRAME_MINGW_TRIPLE}")
# -pthread puts winpthreads after libgcc_eh, which needs it for thread-local
# storage.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-L${gcc_folder} -pthread -fuse-ld=lld")
