# Forms are kept as text and linked in as binary form streams:
#   add_form_resource(<target> FORM <file.txt> NAME <RESOURCE>)
# converts <file.txt> with formconv at build time (again whenever the text or the
# converter changes) and adds the result to the executable <target> as RCDATA <RESOURCE>.
# formconv runs on the build machine: a cross build makes it with the host compiler
# through its own small project in src/formconv; a native build makes it as a target.

set(FORMCONV_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/../src/formconv)
cmake_path(NORMAL_PATH FORMCONV_SOURCE_DIR)

if(CMAKE_CROSSCOMPILING)
  include(ExternalProject)
  set(host_suffix "")
  if(CMAKE_HOST_WIN32)
    set(host_suffix .exe)
  endif()
  set(FORMCONV_EXECUTABLE ${CMAKE_BINARY_DIR}/formconv-host/formconv${host_suffix})
  ExternalProject_Add(formconv_host
    SOURCE_DIR ${FORMCONV_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/formconv-host
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON  # its own build knows when the converter's sources changed
    BUILD_BYPRODUCTS ${FORMCONV_EXECUTABLE})
  set(formconv_command ${FORMCONV_EXECUTABLE})
  set(formconv_depends formconv_host ${FORMCONV_EXECUTABLE})
else()
  add_executable(formconv ${FORMCONV_SOURCE_DIR}/formconv.cpp)
  target_link_libraries(formconv PRIVATE vcl_portable project_options)
  set(FORMCONV_EXECUTABLE $<TARGET_FILE:formconv>)
  set(formconv_command formconv)
  set(formconv_depends formconv)
endif()

function(add_form_resource target)
  cmake_parse_arguments(F "" "FORM;NAME" "" ${ARGN})
  if(NOT F_FORM OR NOT F_NAME OR F_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "usage: add_form_resource(<target> FORM <file.txt> NAME <RESOURCE>)")
  endif()
  if(NOT WIN32)
    message(FATAL_ERROR "add_form_resource(${target}): resources need a Windows target")
  endif()
  if(NOT F_NAME MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
    message(FATAL_ERROR "add_form_resource(${target}): '${F_NAME}' is no resource name")
  endif()
  get_target_property(type ${target} TYPE)
  if(NOT type STREQUAL "EXECUTABLE")
    message(FATAL_ERROR "add_form_resource(${target}): ${target} is a ${type}; resources in a "
                        "library do not reach the program, so add the form to the executable")
  endif()
  get_target_property(target_dir ${target} SOURCE_DIR)
  if(NOT target_dir STREQUAL CMAKE_CURRENT_SOURCE_DIR)
    message(FATAL_ERROR "add_form_resource(${target}): call it where ${target} is created (${target_dir})")
  endif()

  cmake_path(ABSOLUTE_PATH F_FORM BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/forms/${target})
  set(bin ${dir}/${F_NAME}.bin)
  set(rc ${dir}/${F_NAME}.rc)
  add_custom_command(OUTPUT ${bin}
    COMMAND ${formconv_command} ${F_FORM} ${bin}
    DEPENDS ${F_FORM} ${formconv_depends}
    COMMENT "Converting form ${F_NAME}"
    VERBATIM)
  file(GENERATE OUTPUT ${rc} CONTENT "${F_NAME} RCDATA \"${bin}\"\n")
  # windres reads the stream itself; the build must know that the object depends on it.
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${bin})
  target_sources(${target} PRIVATE ${rc} ${bin})
endfunction()
