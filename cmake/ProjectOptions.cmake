# Compiler and linker settings shared by every target of the project.

# Warnings for the project's own code (not for GoogleTest).
add_library(project_options INTERFACE)
# GCC 12 reports std::string concatenations as overlapping copies (-Wrestrict) when it
# inlines them at -O2: a known false positive of that compiler.
target_compile_options(project_options INTERFACE -Wall -Wextra -Wno-unused-parameter -Wno-restrict)

if(WIN32)
  enable_language(RC)
  # ANSI Win32 API throughout; no min/max macros.
  target_compile_definitions(project_options INTERFACE NOMINMAX WINVER=0x0601 _WIN32_WINNT=0x0601)
  # Self-contained executables: the C++ runtime, libgcc and winpthread are linked in.
  set(CMAKE_EXE_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS} -static -static-libgcc -static-libstdc++")
  find_package(JPEG REQUIRED)
else()
  # The host build exists to run the OS-free modules under the sanitizers.
  set(sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${sanitizers})
  add_link_options(${sanitizers})
endif()
