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
set(CPACK_PACKAGE_CONTACT "scenario_builder developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Builds a train-driving simulator scenario, and the authoring tool for its sources")
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
  set(CPACK_DEB_COMPONENT_INSTALL OFF)
endif()
include(CPack)
