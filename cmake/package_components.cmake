# Read by CPack for each package it makes: the files every package holds (the
# component "main") and those of one kind of package only, all in one package.
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL main debian_files)
elseif(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(CPACK_COMPONENTS_ALL main archive_licence)
endif()
