# GoogleTest from Debian's sources, built with the project's compiler, and a helper
# that registers one CTest test per test program (under Wine when cross-building:
# CTest prefixes CMAKE_CROSSCOMPILING_EMULATOR).

set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources, built with the project's compiler")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# add_gtest(<name> SOURCES <files...> [LIBS <targets...>] [TIMEOUT <seconds>])
function(add_gtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE project_options ${T_LIBS} gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()
