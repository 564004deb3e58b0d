# qp_program_resources(TARGET NAME name DESCRIPTION_EN text DESCRIPTION_JA text
#                      ICON_FROM header|svg ICON_SOURCE file)
# Gives a Windows program its resources: the manifest (common controls 6 for the system's look of
# the controls, per-monitor DPI awareness, the supported systems), the version information in
# Japanese and English that Explorer shows, and the program's icon, drawn at build time from
# ICON_SOURCE by make_icon.py (ICON_FROM says how to read it).
function(qp_program_resources target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "NAME;DESCRIPTION_EN;DESCRIPTION_JA;ICON_FROM;ICON_SOURCE"
                        "")
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  set(here ${CMAKE_CURRENT_FUNCTION_LIST_DIR})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}-resources)
  set(manifest ${out}/${arg_NAME}.manifest)
  set(rc ${out}/${arg_NAME}.rc)
  # One icon per program name and folder, whichever of its targets asks first.
  set(icon ${CMAKE_CURRENT_BINARY_DIR}/${arg_NAME}.ico)
  get_property(drawn DIRECTORY PROPERTY QP_ICON_${arg_NAME})
  if(NOT drawn)
    add_custom_command(OUTPUT ${icon}
      COMMAND Python3::Interpreter ${here}/make_icon.py ${arg_ICON_FROM}
              ${arg_ICON_SOURCE} ${icon}
      DEPENDS ${here}/make_icon.py ${arg_ICON_SOURCE}
      COMMENT "Drawing the icon of ${arg_NAME}"
      VERBATIM)
    set_property(DIRECTORY PROPERTY QP_ICON_${arg_NAME} TRUE)
  endif()
  # The names configure_file puts into the templates.
  set(QP_NAME ${arg_NAME})
  set(QP_DESCRIPTION_EN ${arg_DESCRIPTION_EN})
  set(QP_DESCRIPTION_JA ${arg_DESCRIPTION_JA})
  set(QP_ICON ${icon})
  set(QP_MANIFEST ${manifest})
  configure_file(${here}/Program.manifest.in ${manifest} @ONLY)
  configure_file(${here}/Program.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${icon};${manifest}")
endfunction()
