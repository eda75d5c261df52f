# Applied to every target of the project, never to third-party code built alongside.
function(lucidframe_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /utf-8)
    if(LUCIDFRAME_WERROR)
      target_compile_options(${target} PRIVATE /WX)
    endif()
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(LUCIDFRAME_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()

# lucidframe_win32_library(<name> <source>...): a static library of Windows
# code, compiled as every Win32 file of the project is (wide-character calls,
# the lean Windows headers, no min and max macros), its includes rooted at
# the repository, with the project's warnings.
function(lucidframe_win32_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${name} PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
  lucidframe_warnings(${name})
endfunction()
