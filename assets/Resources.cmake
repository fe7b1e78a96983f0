# The programs' resources: images, version record and manifest.
#   qh_program_resources(<target> INSTALLER|UNINSTALLER)
# adds the program's .rc to <target>. The .rc finds the resource ids under common/ and the images
# under assets/; both folders are given to that one source only, not to the C++ sources.
set(QH_ASSETS_DIR ${CMAKE_CURRENT_LIST_DIR})
get_filename_component(QH_SOURCE_TOP ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)

function(qh_program_resources target program)
  if(program STREQUAL "INSTALLER")
    set(folder ${QH_SOURCE_TOP}/install/resources)
    set(name install)
    set(icons sphere.ico qz_on_white.ico)
  elseif(program STREQUAL "UNINSTALLER")
    set(folder ${QH_SOURCE_TOP}/uninstall/resources)
    set(name uninstall)
    set(icons sphere.ico qz_on_grey.ico)
  else()
    message(FATAL_ERROR "qh_program_resources: INSTALLER or UNINSTALLER, not '${program}'")
  endif()

  set(script ${folder}/${name}.rc)
  set(inputs ${folder}/${name}.manifest ${QH_ASSETS_DIR}/logo.jpg
             ${QH_SOURCE_TOP}/common/win32/resource_ids.h)
  foreach(icon IN LISTS icons)
    list(APPEND inputs ${QH_ASSETS_DIR}/${icon})
  endforeach()

  target_sources(${target} PRIVATE ${script})
  # The resource compiler reports no dependencies of its own: name the files it reads.
  set_source_files_properties(${script} TARGET_DIRECTORY ${target} PROPERTIES
    INCLUDE_DIRECTORIES "${QH_SOURCE_TOP}/common;${QH_ASSETS_DIR};${folder}"
    OBJECT_DEPENDS "${inputs}")
endfunction()
