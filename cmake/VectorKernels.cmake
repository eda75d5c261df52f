# Vector kernels: one source per instruction set, each compiled with only the
# flags it needs, so that nothing else in the program can pick up AVX2
# instructions by accident; which one runs is asked of the processor at run
# time (imaging/instruction_set.h).
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64|i[3-6]86|x86|X86)$")
  set(LUCIDFRAME_X86_KERNELS ON)
else()
  set(LUCIDFRAME_X86_KERNELS OFF)
endif()

# lucidframe_vector_kernels(<target> SSE2 ... AVX2 ...): adds the sources of
# each instruction set to <target> with their flags, on x86 only.
function(lucidframe_vector_kernels target)
  cmake_parse_arguments(ARG "" "" "SSE2;AVX2" ${ARGN})
  if(NOT LUCIDFRAME_X86_KERNELS)
    return()
  endif()
  target_sources(${target} PRIVATE ${ARG_SSE2} ${ARG_AVX2})
  target_compile_definitions(${target} PRIVATE LUCIDFRAME_X86_KERNELS=1)
  if(MSVC)
    # SSE2 is the default instruction set of both MSVC targets.
    set_source_files_properties(${ARG_AVX2} PROPERTIES COMPILE_OPTIONS /arch:AVX2)
    return()
  endif()
  set(sse2_flags -msse2)
  set(avx2_flags -mavx2)
  if(MINGW AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # Windows promises less stack alignment than GCC may assume when it spills
    # vector registers with aligned moves (16 bytes on x64 against 32 for AVX;
    # 4 on x86); the assembler turns those moves into unaligned ones. Clang
    # realigns the stack itself where it needs to.
    list(APPEND sse2_flags -Wa,-muse-unaligned-vector-move)
    list(APPEND avx2_flags -Wa,-muse-unaligned-vector-move)
  endif()
  if(ARG_SSE2)
    set_source_files_properties(${ARG_SSE2} PROPERTIES COMPILE_OPTIONS "${sse2_flags}")
  endif()
  if(ARG_AVX2)
    set_source_files_properties(${ARG_AVX2} PROPERTIES COMPILE_OPTIONS "${avx2_flags}")
  endif()
endfunction()
