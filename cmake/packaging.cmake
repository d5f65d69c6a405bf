# The installed program (CORVANE_PACKAGE=ON; scripts/package.sh): install rules and CPack's
# Debian package.
#
# The program folder goes to lib/corvane as it is in the build folder, plus the marker file that
# tells the programs they are installed: there the report and the configurations go to the
# user's data folder (config/program_paths.h). The commands in bin are relative symbolic links:
# the programs find their folder through the real path of the running executable.
#
# Components: "program" is the program folder alone, which scripts/package.sh also packs as the
# portable archive; "system" is what only an installation has (marker, commands, menu entry,
# icon, manual pages, copyright).

set(corvane_lib lib/corvane)

# The program folder.
install(TARGETS corvane corvane-cli RUNTIME DESTINATION ${corvane_lib} COMPONENT program)
# The data files from the one list the programs protect (CMakeLists.txt).
foreach(name ${CORVANE_DATA_FILES})
  get_filename_component(folder ${name} DIRECTORY)
  install(FILES ${CMAKE_SOURCE_DIR}/data/${name} DESTINATION ${corvane_lib}/${folder} COMPONENT program)
endforeach()
install(FILES ${CORVANE_PROGRAM_DIR}/default.crv DESTINATION ${corvane_lib} COMPONENT program)
install(FILES ${CORVANE_PROGRAM_DIR}/configurations/survey.crv
              ${CORVANE_PROGRAM_DIR}/configurations/pnezd-blocks.crv
        DESTINATION ${corvane_lib}/configurations COMPONENT program)

# What makes it an installation.
set(corvane_stage ${CMAKE_BINARY_DIR}/package-stage)
file(MAKE_DIRECTORY ${corvane_stage}/bin)
file(WRITE ${corvane_stage}/installed
     "This copy of Corvane is installed: the run report and the configurations are kept in\n"
     "each user's data folder ($XDG_DATA_HOME/Tessoran/corvane2, ~/.local/share when unset).\n")
install(FILES ${corvane_stage}/installed DESTINATION ${corvane_lib} COMPONENT system)
foreach(program corvane corvane-cli)
  file(CREATE_LINK ../lib/corvane/${program} ${corvane_stage}/bin/${program} SYMBOLIC)
  install(FILES ${corvane_stage}/bin/${program} DESTINATION bin COMPONENT system)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/corvane.desktop
        DESTINATION share/applications COMPONENT system)
install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/corvane.svg
        DESTINATION share/icons/hicolor/scalable/apps COMPONENT system)
install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/copyright DESTINATION share/doc/corvane
        COMPONENT system)

# Manual pages, compressed as Debian wants them (gzip -9n: no name or time inside). The page of
# corvane-cli is written by help2man from --help, so it never drifts from the program; the
# SOURCE_DATE_EPOCH of the last commit keeps its date, and the package, repeatable.
find_program(CORVANE_HELP2MAN help2man REQUIRED)
find_program(CORVANE_GZIP gzip REQUIRED)
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} log -1 --format=%ct
                  OUTPUT_VARIABLE corvane_epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
else()
  set(corvane_epoch $ENV{SOURCE_DATE_EPOCH})
endif()
if(NOT corvane_epoch)
  set(corvane_epoch 0)
endif()
add_custom_command(
  OUTPUT ${corvane_stage}/corvane-cli.1.gz
  COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${corvane_epoch}
          ${CORVANE_HELP2MAN} --no-info --section=1 --name="turn DXF drawings into point lists"
          --output=${corvane_stage}/corvane-cli.1 $<TARGET_FILE:corvane-cli>
  COMMAND ${CORVANE_GZIP} -9nf ${corvane_stage}/corvane-cli.1
  DEPENDS corvane-cli
  COMMENT "Writing the manual page of corvane-cli")
add_custom_command(
  OUTPUT ${corvane_stage}/corvane.1.gz
  COMMAND ${CORVANE_GZIP} -9nc ${CMAKE_SOURCE_DIR}/data/desktop/corvane.1 > ${corvane_stage}/corvane.1.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/data/desktop/corvane.1
  COMMENT "Compressing the manual page of corvane")
# A native package's changelog: the version and the last commit's date.
add_custom_command(
  OUTPUT ${corvane_stage}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -DVERSION=${PROJECT_VERSION} -DEPOCH=${corvane_epoch}
          -DOUTPUT=${corvane_stage}/changelog -P ${CMAKE_SOURCE_DIR}/cmake/write_changelog.cmake
  COMMAND ${CORVANE_GZIP} -9nf ${corvane_stage}/changelog
  DEPENDS ${CMAKE_SOURCE_DIR}/cmake/write_changelog.cmake
  COMMENT "Writing the package changelog")
add_custom_target(corvane_package_files ALL DEPENDS ${corvane_stage}/corvane-cli.1.gz
                  ${corvane_stage}/corvane.1.gz ${corvane_stage}/changelog.gz)
install(FILES ${corvane_stage}/corvane-cli.1.gz ${corvane_stage}/corvane.1.gz
        DESTINATION share/man/man1 COMPONENT system)
install(FILES ${corvane_stage}/changelog.gz DESTINATION share/doc/corvane COMPONENT system)

# The Debian package: both components in one package, installed under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VENDOR Tessoran)
set(CPACK_PACKAGE_CONTACT "Tessoran <support@tessoran.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn DXF drawings into point lists")
set(CPACK_PACKAGE_DESCRIPTION
    "Corvane reads DXF drawings and writes one delimited text file per drawing,\n"
    "one line per point: point number, X, Y, Z and a custom field made of the\n"
    "entity type, layer, handle, block name, text and numbers. Points come from\n"
    "points, circles, arcs, ellipses, block insertions, lines, polylines,\n"
    "splines, texts and 3D faces. Surveyors feed total stations, spreadsheets\n"
    "and GIS with these files.\n"
    "\n"
    "The package holds the desktop program corvane and the command-line tool\n"
    "corvane-cli, which read and write the same configuration files.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL OFF)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.tessoran.example/")
# The libraries the programs link come from dpkg-shlibdeps; Qt's SVG plugins are loaded at run
# time (the window's glyphs and icons are SVG), so no linked library names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_SOURCE_DIR}/dist)
include(CPack)
