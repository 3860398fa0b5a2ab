# What users install: `cmake --install` and the release packages made by
# CPack from the same rules (cpack --preset default: a .tar.gz and a .deb;
# cpack --preset mingw: the Windows zip). Every package carries the version of
# project() in its name.
#
# On Linux the programs go to bin/ and the documents to share/doc/<package>/.
# The Windows zip holds one folder with both programs and the documents side
# by side: scenario_builder.exe writes its files next to itself, so it is
# meant to be copied into a folder of its own, and nothing needs a tree.
include(GNUInstallDirs)

# What every package holds is the component "main"; files of one kind of
# package only have components of their own (cmake/package_components.cmake).
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME main)

set(SCENARIO_PACKAGE_NAME scenario-builder)  # Debian's names take no "_"
if(WIN32)
  set(SCENARIO_PROGRAM_DESTINATION .)
  set(SCENARIO_DOC_DESTINATION .)
else()
  set(SCENARIO_PROGRAM_DESTINATION ${CMAKE_INSTALL_BINDIR})
  set(SCENARIO_DOC_DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${SCENARIO_PACKAGE_NAME})
endif()

install(TARGETS scenario_builder scenario_tool RUNTIME DESTINATION ${SCENARIO_PROGRAM_DESTINATION})
# The authors' reference of both source formats, and the README.
install(FILES README.md docs/source-format.md DESTINATION ${SCENARIO_DOC_DESTINATION})

# The licence (MIT, in LICENSE). The zip has it beside the programs; the
# .tar.gz at its top, beside bin/; the .deb as the copyright file in Debian's
# machine-readable format, made from LICENSE (a second copy of the licence
# would be one too many there). Each comes with its package only.
set(SCENARIO_DEBIAN_DIR ${PROJECT_SOURCE_DIR}/cmake/debian)
set(SCENARIO_DEBIAN_FILES ${CMAKE_BINARY_DIR}/debian)
if(WIN32)
  install(FILES LICENSE DESTINATION ${SCENARIO_DOC_DESTINATION})
else()
  install(FILES LICENSE DESTINATION . COMPONENT archive_licence EXCLUDE_FROM_ALL)
  # `cmake --install` (no package) puts it with the documents.
  install(FILES LICENSE DESTINATION ${SCENARIO_DOC_DESTINATION} COMPONENT installed_licence)

  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS LICENSE)
  file(STRINGS LICENSE licence_lines)
  list(FILTER licence_lines EXCLUDE REGEX "^(MIT License|Copyright .*)$")
  file(STRINGS LICENSE copyright_line REGEX "^Copyright ")
  string(REGEX REPLACE "^Copyright \\(c\\) " "" copyright_holder "${copyright_line}")
  set(copyright "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n")
  string(APPEND copyright "Upstream-Name: ${SCENARIO_PACKAGE_NAME}\n\nFiles: *\nCopyright: ${copyright_holder}\nLicense: Expat\n")
  set(leading ON)
  foreach(line IN LISTS licence_lines)
    if(leading AND line STREQUAL "")
      continue()
    endif()
    set(leading OFF)
    if(line STREQUAL "")
      string(APPEND copyright " .\n")
    else()
      string(APPEND copyright " ${line}\n")
    endif()
  endforeach()
  file(WRITE ${SCENARIO_DEBIAN_FILES}/copyright "${copyright}")

  # The changelog, compressed as Debian keeps it (no name or time inside).
  add_custom_command(OUTPUT ${SCENARIO_DEBIAN_FILES}/changelog.gz
    COMMAND gzip -9nc ${SCENARIO_DEBIAN_DIR}/changelog > ${SCENARIO_DEBIAN_FILES}/changelog.gz
    DEPENDS ${SCENARIO_DEBIAN_DIR}/changelog
    COMMENT "Compressing the package's changelog")

  # A manual page for each program, made from its --help on every build of it.
  set(manual_pages "")
  foreach(entry "scenario_builder|build a train-driving simulator scenario's files"
                "scenario_tool|authoring tool for the scenario builder's sources")
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 program)
    list(GET entry 1 summary)
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    add_custom_command(OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> -DNAME=${program} "-DSUMMARY=${summary}"
              -DOUTPUT=${page} -P ${PROJECT_SOURCE_DIR}/cmake/man_page.cmake
      COMMAND gzip -9nf ${page}
      DEPENDS ${program} ${PROJECT_SOURCE_DIR}/cmake/man_page.cmake
      COMMENT "Writing the manual page of ${program} from its --help"
      VERBATIM)
    list(APPEND manual_pages ${page}.gz)
  endforeach()
  add_custom_target(package_documents ALL DEPENDS ${manual_pages} ${SCENARIO_DEBIAN_FILES}/changelog.gz)
  install(FILES ${manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  install(FILES ${SCENARIO_DEBIAN_FILES}/copyright ${SCENARIO_DEBIAN_FILES}/changelog.gz
          DESTINATION ${SCENARIO_DOC_DESTINATION} COMPONENT debian_files EXCLUDE_FROM_ALL)
  install(FILES ${SCENARIO_DEBIAN_DIR}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
          RENAME ${SCENARIO_PACKAGE_NAME} COMPONENT debian_files EXCLUDE_FROM_ALL)
endif()

# The editor extension (.vsix) is built elsewhere, by the editor's own build;
# whatever .vsix is in this folder when the package is made goes in with the
# documents, and none is needed.
set(SCENARIO_EDITOR_PACKAGES_DIR ${CMAKE_BINARY_DIR}/editors CACHE PATH
    "Folder whose .vsix files, if any, the packages carry")
install(CODE "
  file(GLOB editor_packages \"${SCENARIO_EDITOR_PACKAGES_DIR}/*.vsix\")
  if(editor_packages)
    file(INSTALL \${editor_packages} DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${SCENARIO_DOC_DESTINATION}\")
  endif()")

set(CPACK_PACKAGE_NAME ${SCENARIO_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "scenario_builder")
set(CPACK_PACKAGE_CONTACT "Scenario builder developers <scenario-builder@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "train-driving simulator scenario builder and authoring tool")
set(CPACK_PACKAGE_DESCRIPTION "scenario_builder writes the files of one scenario for a train-driving
simulator: the plan, scenario and route files the simulator loads, and the
driver's timetable card, slowdown order and notes. Run in a folder, it writes
them there.
.
scenario_tool is the authoring tool for scenario authors: it writes the
built-in line and train sources as a template, checks an author's sources
and reports every problem with its place and a hint, compiles them, draws
and shows the scenario in a browser, recovers sources from compiled files,
tells two builds apart and serves editors as a language server.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# Which of the package-only files each package takes.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/package_components.cmake)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Release programs carry no debugging information: the Windows program is a
# tenth of its size without it (13.7 MB, 1.3 MB stripped).
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_SOURCE_GENERATOR "")
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME ${SCENARIO_PACKAGE_NAME}-${PROJECT_VERSION}-windows-x86_64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_PACKAGE_FILE_NAME ${SCENARIO_PACKAGE_NAME}-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # NAME_VERSION_ARCH.deb
  set(CPACK_DEBIAN_PACKAGE_SECTION misc)
  # The programs are linked statically: they depend on no other package.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "")
endif()
include(CPack)
