# What `cmake --install` puts in the prefix, and what the Debian packages are made of:
#   include/morvanta/...              the public headers (the driver's detail/ stays behind)
#   lib/libmorvanta_*.a               one archive a layer
#   lib/cmake/Morvanta/               the CMake package: find_package(Morvanta 0.1 COMPONENTS ...)
#   lib/pkgconfig/morvanta.pc         the console layers, for builds without CMake
#   bin/obsmerge, obsmerge-lojas, morvanta-inspector
#   share/doc/<package>/              the licence (copyright) and the programs' pages
# Install components: "dev" (headers, archives, packages files), "obsmerge" (obsmerge and
# obsmerge-lojas), "inspector".
include(CMakePackageConfigHelpers)

set(MORVANTA_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Morvanta)
set(MORVANTA_DEV_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/libmorvanta-dev)

# The console layers and the graphical ones go to two export sets, so that a program that asks
# for no graphical component needs no Qt.
set(console_targets ${MORVANTA_LIBRARY_TARGETS} morvanta_console)
list(REMOVE_ITEM console_targets morvanta_ui morvanta_windows)
install(TARGETS ${console_targets} EXPORT MorvantaTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
install(EXPORT MorvantaTargets NAMESPACE Morvanta:: DESTINATION ${MORVANTA_CMAKE_DIR} COMPONENT dev)
set(header_excludes PATTERN "detail" EXCLUDE)
if(MORVANTA_UI)
  install(TARGETS morvanta_ui morvanta_windows EXPORT MorvantaUiTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
          COMPONENT dev)
  install(EXPORT MorvantaUiTargets NAMESPACE Morvanta:: DESTINATION ${MORVANTA_CMAKE_DIR} COMPONENT dev)
else()
  list(APPEND header_excludes PATTERN "platform/ui" EXCLUDE PATTERN "windows" EXCLUDE)
endif()
# A stripping install (cpack, `cmake --install --strip`) keeps the archives' symbols and drops their
# debugging information, as Debian's -dev packages do.
set(installed_archives "")
foreach(target IN LISTS MORVANTA_LIBRARY_TARGETS)
  list(APPEND installed_archives "${CMAKE_INSTALL_LIBDIR}/$<TARGET_FILE_NAME:${target}>")
endforeach()
install(CODE "if(CMAKE_INSTALL_DO_STRIP)
  foreach(archive IN ITEMS ${installed_archives})
    execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${archive}\")
  endforeach()
endif()" COMPONENT dev)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/morvanta/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/morvanta COMPONENT dev
        FILES_MATCHING PATTERN "*.h" ${header_excludes})

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/MorvantaConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/package/MorvantaConfig.cmake INSTALL_DESTINATION ${MORVANTA_CMAKE_DIR})
# 0.x releases promise nothing across minor versions: 0.1 accepts 0.1.*.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/package/MorvantaConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/package/MorvantaConfig.cmake ${PROJECT_BINARY_DIR}/package/MorvantaConfigVersion.cmake
        DESTINATION ${MORVANTA_CMAKE_DIR} COMPONENT dev)

# The .pc file finds the prefix from where it lies, so that the same file serves a scratch prefix
# and the packages' /usr.
file(RELATIVE_PATH MORVANTA_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/morvanta.pc.in ${PROJECT_BINARY_DIR}/package/morvanta.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/package/morvanta.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)

install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${MORVANTA_DEV_DOC_DIR} RENAME copyright COMPONENT dev)
install(FILES ${PROJECT_SOURCE_DIR}/docs/getting-started.md DESTINATION ${MORVANTA_DEV_DOC_DIR} COMPONENT dev)

if(MORVANTA_PROGRAMS)
  install(TARGETS obsmerge obsmerge-lojas RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT obsmerge)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/morvanta-obsmerge RENAME copyright
          COMPONENT obsmerge)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/programs/obsmerge.md ${PROJECT_SOURCE_DIR}/docs/programs/obsmerge-lojas.md
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/morvanta-obsmerge COMPONENT obsmerge)
  install(TARGETS morvanta-inspector RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT inspector)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/morvanta-inspector RENAME copyright
          COMPONENT inspector)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/programs/inspector.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/morvanta-inspector
          COMPONENT inspector)
endif()
