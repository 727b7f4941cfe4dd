# vorlix_version_resource(target description [CHINESE]): gives the program or
# DLL `target` its version resource (resources/version.rc) with this
# description and its own file name; CHINESE declares the strings in
# Simplified Chinese (the description may then hold \x escapes of a wide
# string, such as L"\x5C4F").
function(vorlix_version_resource target description)
  get_target_property(kind ${target} TYPE)
  if(kind STREQUAL SHARED_LIBRARY)
    set(file_type VFT_DLL)
  else()
    set(file_type VFT_APP)
  endif()
  set(lines "// Written by cmake/version_resource.cmake.\n")
  if("CHINESE" IN_LIST ARGN)
    string(APPEND lines "#define VORLIX_FILE_CHINESE 1\n")
  endif()
  if(NOT description MATCHES "^L?\"")
    set(description "\"${description}\"")
  endif()
  string(APPEND lines "#define VORLIX_FILE_DESCRIPTION ${description}\n"
         "#define VORLIX_FILE_NAME \"$<TARGET_FILE_NAME:${target}>\"\n"
         "#define VORLIX_FILE_TYPE ${file_type}\n"
         "#include \"version.rc\"\n")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  file(GENERATE OUTPUT ${rc} CONTENT "${lines}")
  target_sources(${target} PRIVATE ${rc})
  set_source_files_properties(${rc} PROPERTIES
    INCLUDE_DIRECTORIES "${CMAKE_SOURCE_DIR}/resources;${CMAKE_SOURCE_DIR}/src"
    OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/version.rc;${CMAKE_SOURCE_DIR}/src/version.h")
endfunction()

# The version numbers, read from the header, for what CMake writes itself
# (the program's manifest).
file(STRINGS ${CMAKE_SOURCE_DIR}/src/version.h version_lines REGEX "^#define VORLIX_VERSION_(MAJOR|MINOR) ")
foreach(line ${version_lines})
  string(REGEX MATCH "^#define (VORLIX_VERSION_[A-Z]+) ([0-9]+)" _ "${line}")
  set(${CMAKE_MATCH_1} ${CMAKE_MATCH_2})
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/version.h)
