# Installation of the library for other programs: headers, libqzorvex
# (shared and static), the Qt toolkit library, the CMake package
# (find_package(QzOrvex): QzOrvex::qzorvex, QzOrvex::qzorvex_static,
# QzOrvex::qt), the pkg-config file, man pages, licence and change log.
#
# Every file belongs to one component, the unit of the .deb packages
# (QzOrvexDeb.cmake): lib (the shared libraries, licence and change log),
# dev (headers, static library, CMake package, pkg-config file, the
# libraries' link names), python (the Python package), tools (the
# programs and their man pages) and debug (the debug files split off the
# installed programs and libraries, OrvexSplitDebug.cmake).
#
# Installing runs nothing: it copies files below the prefix (and DESTDIR).
# Writing the platform registry entries is a separate step, orvex-regsvr,
# which scripts/setup.sh runs after installing.
include(CMakePackageConfigHelpers)

set(ORVEX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/QzOrvex)

# The shared library and the static one are exported apart: linking the
# shared one needs nothing of its private dependencies (libcurl, expat), so
# only the static one's targets ask for their -dev packages.
install(TARGETS qzorvex EXPORT QzOrvexTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT lib NAMELINK_COMPONENT dev
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
orvex_install_split(qzorvex lib ${CMAKE_INSTALL_LIBDIR})
install(TARGETS qzorvex_static EXPORT QzOrvexStaticTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
orvex_install_strip_archive(qzorvex_static dev ${CMAKE_INSTALL_LIBDIR})
install(EXPORT QzOrvexStaticTargets NAMESPACE QzOrvex:: DESTINATION ${ORVEX_CMAKE_DIR}
  COMPONENT dev)
install(DIRECTORY ${ORVEX_ROOT}/include/qzorvex DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  COMPONENT dev FILES_MATCHING PATTERN "*.h")
install(FILES ${PROJECT_BINARY_DIR}/include/qzorvex/version.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/qzorvex COMPONENT dev)
install(EXPORT QzOrvexTargets NAMESPACE QzOrvex:: DESTINATION ${ORVEX_CMAKE_DIR} COMPONENT dev)
if(ORVEX_WITH_QT)
  install(TARGETS qzorvex_qt EXPORT QzOrvexQtTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT lib NAMELINK_COMPONENT dev)
  orvex_install_split(qzorvex_qt lib ${CMAKE_INSTALL_LIBDIR})
  install(EXPORT QzOrvexQtTargets NAMESPACE QzOrvex:: DESTINATION ${ORVEX_CMAKE_DIR}
    COMPONENT dev)
endif()

configure_package_config_file(${ORVEX_ROOT}/cmake/QzOrvexConfig.cmake.in
  ${PROJECT_BINARY_DIR}/QzOrvexConfig.cmake INSTALL_DESTINATION ${ORVEX_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/QzOrvexConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/QzOrvexConfig.cmake
  ${PROJECT_BINARY_DIR}/QzOrvexConfigVersion.cmake DESTINATION ${ORVEX_CMAKE_DIR} COMPONENT dev)

# qzorvex.pc finds its prefix from its own place (${pcfiledir}), so it stays
# right whatever --prefix the installation is given.
file(RELATIVE_PATH ORVEX_PC_TO_PREFIX
  /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
set(ORVEX_PC_LIBDIR ${CMAKE_INSTALL_LIBDIR})
set(ORVEX_PC_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR})
configure_file(${ORVEX_ROOT}/cmake/qzorvex.pc.in ${PROJECT_BINARY_DIR}/qzorvex.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/qzorvex.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
  COMPONENT dev)

foreach(page orvex.1 orvex-docstore.1 orvex-regsvr.1)
  configure_file(${ORVEX_ROOT}/docs/man/${page} ${PROJECT_BINARY_DIR}/man/${page} @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/man/${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
    COMPONENT tools)
endforeach()
install(FILES ${ORVEX_ROOT}/LICENSE ${ORVEX_ROOT}/CHANGELOG.md ${ORVEX_ROOT}/README.md
  DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT lib)
