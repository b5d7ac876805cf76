# What every shipped DLL carries, and the release files made from it.
#
# pendrel_version_info(<target> <description>): a VERSIONINFO resource with
# the project's version as file and product version (four parts, missing
# ones 0), the product name, the description and the original file name.
#
# pendrel_release_files(<target>...): adds them to the target pendrel_release,
# which writes each DLL's debug information to release/symbols/<file>.debug
# (objcopy --only-keep-debug) and the stripped DLL, linked to that file by a
# debug link, to release/<file>.
set(PENDREL_VERSION_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/version.rc.in)

function(pendrel_version_info target description)
  foreach(part MAJOR MINOR PATCH TWEAK)
    set(v "${PROJECT_VERSION_${part}}")
    if(NOT v MATCHES "^[0-9]+$")
      set(v 0)
    endif()
    list(APPEND parts ${v})
  endforeach()
  list(JOIN parts "," PENDREL_VERSION_COMMAS)
  list(JOIN parts "." PENDREL_VERSION_DOTS)
  set(PENDREL_FILE_DESCRIPTION "${description}")
  set(PENDREL_INTERNAL_NAME ${target})
  set(PENDREL_FILE_NAME ${target}.dll)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/generated/${target}_version.rc)
  configure_file(${PENDREL_VERSION_TEMPLATE} ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

add_custom_target(pendrel_release)
function(pendrel_release_files)
  set(out ${CMAKE_BINARY_DIR}/release)
  foreach(target ${ARGN})
    set(file ${target}.dll)
    add_custom_command(
      OUTPUT ${out}/${file} ${out}/symbols/${file}.debug
      COMMAND ${CMAKE_COMMAND} -E make_directory ${out}/symbols
      COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> ${out}/symbols/${file}.debug
      COMMAND ${CMAKE_STRIP} --strip-all -o ${out}/${file} $<TARGET_FILE:${target}>
      # The link names the file and carries its checksum; run beside it.
      COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=${file}.debug ${out}/${file}
      WORKING_DIRECTORY ${out}/symbols
      DEPENDS ${target}
      COMMENT "Stripping ${file}, its symbols apart")
    target_sources(pendrel_release PRIVATE ${out}/${file})
  endforeach()
endfunction()
