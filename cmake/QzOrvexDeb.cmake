# Debian packages of the installation, one per component
# (QzOrvexPackage.cmake lists them), made by CPack:
#
#   cpack --config build/CPackConfig.cmake -B OUTDIR
#
# gives libqzorvex0 (lib), libqzorvex-dev (dev), python3-qzorvex (python),
# qzorvex-tools (tools) and qzorvex-dbg (debug). The packages install
# below the prefix the build was configured with: configure with
# -DCMAKE_INSTALL_PREFIX=/usr for packages a Debian system installs as its
# own. Each package's dependencies on system libraries come from
# dpkg-shlibdeps; those between the packages are exact versions.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qzorvex)
set(CPACK_PACKAGE_VENDOR QzOrvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "QzOrvex developers <qzorvex@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "document store client library")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL lib dev tools debug)
if(TARGET qzorvex_python)
  list(APPEND CPACK_COMPONENTS_ALL python)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
# The programs and the Python module link the libraries of the lib
# package, which is not installed while the packages are made.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/src)

set(CPACK_DEBIAN_LIB_PACKAGE_NAME libqzorvex0)
set(CPACK_DEBIAN_LIB_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_LIB_DESCRIPTION
    "document store client library\n The automation objects of the document store client (libqzorvex) and the\n Qt toolkit of its dialogs (libqzorvex_qt).")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libqzorvex-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEV_DEPENDS lib)
# Only the static library needs its private dependencies' -dev packages.
set(CPACK_DEBIAN_DEV_PACKAGE_SUGGESTS "libcurl4-openssl-dev | libcurl-dev, libexpat1-dev")
set(CPACK_COMPONENT_DEV_DESCRIPTION
    "document store client library: development files\n Headers, the static library, the CMake package QzOrvex and qzorvex.pc.")

set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-qzorvex)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_COMPONENT_PYTHON_DEPENDS lib)
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS python3)
set(CPACK_COMPONENT_PYTHON_DESCRIPTION
    "document store client library: Python package\n The Python package qzorvex, with its type stub.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME qzorvex-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
set(CPACK_COMPONENT_TOOLS_DEPENDS lib)
set(CPACK_COMPONENT_TOOLS_DESCRIPTION
    "document store client: programs\n The console orvex, the document server orvex-docstore and orvex-regsvr.")

set(CPACK_DEBIAN_DEBUG_PACKAGE_NAME qzorvex-dbg)
set(CPACK_DEBIAN_DEBUG_PACKAGE_SECTION debug)
set(CPACK_COMPONENT_DEBUG_DEPENDS lib)
set(CPACK_COMPONENT_DEBUG_DESCRIPTION
    "document store client: debug information\n The debug files of the libraries, the Python module and the programs.")

include(CPack)
