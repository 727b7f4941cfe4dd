# Shared by hovrak.dll and stelmon.dll (src/freeze includes it too).
#
# vorlix_export_dll(target def): exports through the .def file `def`, which
# lists the i686 stdcall symbols (name@bytes). The DLL exports them with
# undecorated names; its import library still resolves the decorated symbols
# the callers' compilers emit (ld's own import library would drop the @n
# there as well, so dlltool -k makes it). x86_64 has no decoration: the
# suffixes are stripped.
function(vorlix_export_dll target def)
  get_filename_component(name ${def} NAME)
  set(generated ${CMAKE_CURRENT_BINARY_DIR}/${target}-${name})
  file(READ ${def} text)
  if(NOT CMAKE_SYSTEM_PROCESSOR STREQUAL i686)
    string(REGEX REPLACE "@[0-9]+" "" text "${text}")
  endif()
  file(GENERATE OUTPUT ${generated} CONTENT "${text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
  target_sources(${target} PRIVATE ${generated})
  set_target_properties(${target} PROPERTIES PREFIX "" LINK_DEPENDS ${generated})
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL i686)
    find_program(VORLIX_DLLTOOL NAMES i686-w64-mingw32-dlltool REQUIRED)
    target_link_options(${target} PRIVATE -Wl,--kill-at)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${VORLIX_DLLTOOL} -k -d ${generated} -D $<TARGET_FILE_NAME:${target}> -l $<TARGET_LINKER_FILE:${target}>
      VERBATIM)
  endif()
endfunction()
