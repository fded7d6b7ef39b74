# Compiler settings shared by every target of the project.

# Sources are UTF-8; the program's narrow literals are code page 936 (GBK) bytes.
add_library(zendalo_options INTERFACE)
if(MSVC)
  target_compile_options(zendalo_options INTERFACE /utf-8 /W4 /permissive- /execution-charset:.936)
else()
  target_compile_options(zendalo_options INTERFACE -Wall -Wextra -Wpedantic -Wconversion -Wno-sign-conversion)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(zendalo_options INTERFACE -finput-charset=UTF-8 -fexec-charset=GBK)
  else()
    # clang knows only UTF-8 literals; it builds just the fuzz targets, which need no GBK texts.
    target_compile_options(zendalo_options INTERFACE -Wno-invalid-source-encoding)
  endif()
endif()
target_include_directories(zendalo_options INTERFACE ${PROJECT_SOURCE_DIR})

if(ZENDALO_SANITIZE)
  set(zendalo_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(zendalo_options INTERFACE ${zendalo_sanitizers})
  target_link_options(zendalo_options INTERFACE ${zendalo_sanitizers})
endif()

if(WIN32 AND NOT MSVC)
  # One self-contained .exe: no libgcc, libstdc++ or winpthread DLL beside it.
  target_link_options(zendalo_options INTERFACE -static -static-libgcc -static-libstdc++)
endif()
