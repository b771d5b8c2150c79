# The run-time data files: everything under data/ (the per-language text
# resources <lang>/UI/*.xml, the settings files). Installed to
# <datadir>/velorin and copied beside the programs that read them in the
# build tree, where they are found before the installed ones.
set(VELORIN_DATA_SOURCE_DIR ${PROJECT_SOURCE_DIR}/data)
set(VELORIN_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/velorin)
set(VELORIN_INSTALL_FULL_DATADIR ${CMAKE_INSTALL_FULL_DATADIR}/velorin)

file(GLOB_RECURSE VELORIN_DATA_FILES CONFIGURE_DEPENDS RELATIVE ${VELORIN_DATA_SOURCE_DIR}
     ${VELORIN_DATA_SOURCE_DIR}/*)

install(DIRECTORY ${VELORIN_DATA_SOURCE_DIR}/ DESTINATION ${VELORIN_INSTALL_DATADIR})

# velorin_copy_data(<target>): before <target> is built, copies each data file
# into the current binary folder (where <target>'s output lands), keeping the
# layout under data/. A file is copied again whenever its source changes.
function(velorin_copy_data target)
  set(_outputs)
  foreach(_file IN LISTS VELORIN_DATA_FILES)
    set(_out ${CMAKE_CURRENT_BINARY_DIR}/${_file})
    add_custom_command(OUTPUT ${_out}
      COMMAND ${CMAKE_COMMAND} -E copy ${VELORIN_DATA_SOURCE_DIR}/${_file} ${_out}
      DEPENDS ${VELORIN_DATA_SOURCE_DIR}/${_file}
      COMMENT "Copying data file ${_file}"
      VERBATIM)
    list(APPEND _outputs ${_out})
  endforeach()
  add_custom_target(${target}_data DEPENDS ${_outputs})
  add_dependencies(${target} ${target}_data)
endfunction()
