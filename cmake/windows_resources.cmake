# The Windows resources of the programs: icon, version information and manifest
# (data/windows/program.rc.in and program.manifest.in), made for each program by
# corvane_windows_resources(). The icon is drawn from the menu entry's SVG at the sizes Explorer,
# the task bar and the Start menu ask for; the installer takes the same file for itself, its
# uninstaller and the shortcuts (scripts/build-windows.sh).
find_program(CORVANE_RSVG_CONVERT_FOR_ICON rsvg-convert)
find_program(CORVANE_IMAGEMAGICK_CONVERT convert)
set(CORVANE_WINDOWS_ICON ${CMAKE_BINARY_DIR}/windows/corvane.ico)
if(CORVANE_RSVG_CONVERT_FOR_ICON AND CORVANE_IMAGEMAGICK_CONVERT)
  set(icon_commands)
  set(icon_pictures)
  foreach(size 16 24 32 48 64 256)
    set(png ${CMAKE_BINARY_DIR}/windows/icon-${size}.png)
    list(APPEND icon_commands COMMAND ${CORVANE_RSVG_CONVERT_FOR_ICON} --keep-aspect-ratio
         -w ${size} -h ${size} ${CMAKE_SOURCE_DIR}/data/desktop/corvane.svg -o ${png})
    list(APPEND icon_pictures ${png})
  endforeach()
  add_custom_command(OUTPUT ${CORVANE_WINDOWS_ICON}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/windows
    ${icon_commands}
    COMMAND ${CORVANE_IMAGEMAGICK_CONVERT} ${icon_pictures} ${CORVANE_WINDOWS_ICON}
    DEPENDS ${CMAKE_SOURCE_DIR}/data/desktop/corvane.svg
    COMMENT "Drawing the program's icon corvane.ico")
  add_custom_target(corvane_windows_icon DEPENDS ${CORVANE_WINDOWS_ICON})
else()
  message(WARNING "rsvg-convert or ImageMagick's convert is missing: the programs get no icon")
endif()

# corvane_windows_resources(TARGET FILE DESCRIPTION): FILE is the program's file name
# ("corvane.exe"), DESCRIPTION what Explorer shows as the file's description.
function(corvane_windows_resources target file description)
  set(CORVANE_RC_FILE ${file})
  get_filename_component(CORVANE_RC_NAME ${file} NAME_WE)
  set(CORVANE_RC_DESCRIPTION ${description})
  set(folder ${CMAKE_BINARY_DIR}/windows/${CORVANE_RC_NAME})
  set(CORVANE_RC_MANIFEST ${folder}/${file}.manifest)
  configure_file(${CMAKE_SOURCE_DIR}/data/windows/program.manifest.in ${CORVANE_RC_MANIFEST} @ONLY)
  set(depends ${CORVANE_RC_MANIFEST})
  if(TARGET corvane_windows_icon)
    set(CORVANE_RC_ICON_LINE "1 ICON \"${CORVANE_WINDOWS_ICON}\"")
    list(APPEND depends ${CORVANE_WINDOWS_ICON})
    add_dependencies(${target} corvane_windows_icon)
  else()
    set(CORVANE_RC_ICON_LINE "")
  endif()
  configure_file(${CMAKE_SOURCE_DIR}/data/windows/program.rc.in ${folder}/${CORVANE_RC_NAME}.rc @ONLY)
  set_source_files_properties(${folder}/${CORVANE_RC_NAME}.rc PROPERTIES OBJECT_DEPENDS "${depends}")
  target_sources(${target} PRIVATE ${folder}/${CORVANE_RC_NAME}.rc)
endfunction()
