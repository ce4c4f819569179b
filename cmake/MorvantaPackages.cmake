# The Debian packages, made with `cpack` in the build folder (after the build):
#   libmorvanta-dev      headers, archives, the CMake package and the .pc file
#   morvanta-obsmerge    obsmerge and obsmerge-lojas
#   morvanta-inspector   the form inspector
# Each has the licence as its copyright file. The programs' dependencies on Debian's libraries are
# read from the binaries (dpkg-shlibdeps); the embedded engine, which the client library loads by
# name and no binary links, is named by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morvanta)
set(CPACK_PACKAGE_VENDOR "The Morvanta developers")
set(CPACK_PACKAGE_CONTACT "The Morvanta developers <morvanta@localhost>")
# Each package's description below starts with its own summary line; CPack would put the project's
# description above it unless the summary is CPack's own default.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CMAKE_PROJECT_NAME} built using CMake")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX packages)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL dev)
if(MORVANTA_PROGRAMS)
  list(APPEND CPACK_COMPONENTS_ALL obsmerge inspector)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libmorvanta-dev)
string(CONCAT CPACK_DEBIAN_DEV_DESCRIPTION
       "Morvanta data-access components for Firebird: headers and static libraries\n"
       "The connection, transaction, dataset, update object, generators and change log of the\n"
       "Morvanta component layer, its diagnostics and its Qt 6 windows, as static libraries with\n"
       "their headers, a CMake package (find_package(Morvanta)) and a pkg-config file.")
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "firebird-dev, libfbclient2")
set(CPACK_DEBIAN_DEV_PACKAGE_SUGGESTS "qt6-base-dev, firebird3.0-server-core")
set(CPACK_DEBIAN_DEV_PACKAGE_SHLIBDEPS OFF)

set(CPACK_DEBIAN_OBSMERGE_PACKAGE_NAME morvanta-obsmerge)
set(CPACK_DEBIAN_OBSMERGE_PACKAGE_SECTION database)
string(CONCAT CPACK_DEBIAN_OBSMERGE_DESCRIPTION
       "Observation merge of a store's order database on Firebird\n"
       "obsmerge appends each order observation's temporary text to its main observation, in one\n"
       "transaction; obsmerge-lojas runs it over the stores of a list, a few at a time, and keeps a\n"
       "report of each store.")
# A database given as a file path is opened by the embedded engine.
set(CPACK_DEBIAN_OBSMERGE_PACKAGE_RECOMMENDS "firebird3.0-server-core")

set(CPACK_DEBIAN_INSPECTOR_PACKAGE_NAME morvanta-inspector)
set(CPACK_DEBIAN_INSPECTOR_PACKAGE_SECTION devel)
string(CONCAT CPACK_DEBIAN_INSPECTOR_DESCRIPTION
       "Form file inspector of the Morvanta component layer\n"
       "morvanta-inspector shows, edits and saves the form files of applications built on the\n"
       "Morvanta components, in a window or from the command line.")
include(CPack)
