# The programs' resources: images, version record and manifest.
#   qh_program_resources(<target> INSTALLER|UNINSTALLER)
# adds the program's .rc to <target>. The .rc finds the resource ids under common/ and the images
# under assets/; both folders are given to that one source only, not to the C++ sources.
#
# Given the add-in's files (QH_ADDIN_FOLDER, as scripts/release gives it), the installer carries
# their SHA-256 sums and checks its medium against them; without, it carries none and checks
# nothing. The same files give the same program.
set(QH_ADDIN_FOLDER "" CACHE PATH "The add-in's three files, whose sums the installer carries (a release)")
set(QH_ASSETS_DIR ${CMAKE_CURRENT_LIST_DIR})
get_filename_component(QH_SOURCE_TOP ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)

# "2.0.0.1" reads "2.00.0001" in the version record's texts.
function(qh_version_text result)
  foreach(part MINOR PATCH TWEAK)
    set(value ${PROJECT_VERSION_${part}})
    if(value LESS 10)
      set(value 0${value})
    endif()
    set(${part} ${value})
  endforeach()
  set(${result} "${PROJECT_VERSION_MAJOR}.${MINOR}.${PATCH}${TWEAK}" PARENT_SCOPE)
endfunction()

function(qh_program_resources target program)
  set(generated ${CMAKE_BINARY_DIR}/generated/${target})
  if(program STREQUAL "INSTALLER")
    set(folder ${QH_SOURCE_TOP}/install/resources)
    set(name install)
    set(icons sphere.ico qz_on_white.ico)
    # The installer's version records and manifest take the project's version: the one place
    # it is written, which the release takes too.
    qh_version_text(QH_VERSION_TEXT)
    configure_file(${folder}/version.h.in ${generated}/version.h @ONLY)
    configure_file(${folder}/install.manifest.in ${generated}/install.manifest @ONLY)
    set(read ${generated}/version.h ${generated}/install.manifest)
    set(definitions "")
    if(QH_ADDIN_FOLDER)
      # As sha256sum writes them, one line a file; the build is configured again when one changes.
      set(sums "")
      foreach(file "QZ Macro.xls" "QZ Function.xla" "QuenzoHalvorn.chm")
        if(NOT EXISTS "${QH_ADDIN_FOLDER}/${file}")
          message(FATAL_ERROR "QH_ADDIN_FOLDER ${QH_ADDIN_FOLDER} lacks \"${file}\"")
        endif()
        file(SHA256 "${QH_ADDIN_FOLDER}/${file}" sum)
        string(APPEND sums "${sum}  ${file}\n")
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${QH_ADDIN_FOLDER}/${file}")
      endforeach()
      file(WRITE ${generated}/addin_sums.txt.new "${sums}")
      configure_file(${generated}/addin_sums.txt.new ${generated}/addin_sums.txt COPYONLY)
      list(APPEND read ${generated}/addin_sums.txt)
      set(definitions QH_CARRIES_ADDIN_SUMS)
    endif()
  elseif(program STREQUAL "UNINSTALLER")
    set(folder ${QH_SOURCE_TOP}/uninstall/resources)
    set(name uninstall)
    set(icons sphere.ico qz_on_grey.ico)
    set(read ${folder}/uninstall.manifest)
    set(definitions "")
  else()
    message(FATAL_ERROR "qh_program_resources: INSTALLER or UNINSTALLER, not '${program}'")
  endif()

  set(script ${folder}/${name}.rc)
  set(inputs ${read} ${QH_ASSETS_DIR}/logo.jpg ${QH_SOURCE_TOP}/common/forms/resource_ids.h)
  foreach(icon IN LISTS icons)
    list(APPEND inputs ${QH_ASSETS_DIR}/${icon})
  endforeach()

  target_sources(${target} PRIVATE ${script})
  # The resource compiler reports no dependencies of its own: name the files it reads.
  set_source_files_properties(${script} TARGET_DIRECTORY ${target} PROPERTIES
    INCLUDE_DIRECTORIES "${generated};${QH_SOURCE_TOP}/common;${QH_ASSETS_DIR};${folder}"
    COMPILE_DEFINITIONS "${definitions}"
    OBJECT_DEPENDS "${inputs}")
endfunction()
