# The Debian packages (`cpack -G DEB` in a build directory configured with
# -DCMAKE_INSTALL_PREFIX=/usr): one per install component.
#   libvorn-kravent-dllinterface1     the shared library (named after its soname)
#   libvorn-kravent-dllinterface-dev  header, CMake package, pkg-config file, link name, section 3
#                                     man pages, HTML reference, examples
#   vorn-kravent-tools                kravent and kravent-sim, their man pages, the bash completion
# Each carries the copyright file and changelog that Debian puts in /usr/share/doc/PACKAGE.
# Debian names a library package after its soname, libVorn-KRAVENT_DLLInterface.so.1.
set(KRAVENT_DEB_RUNTIME libvorn-kravent-dllinterface${major})
set(KRAVENT_DEB_DEV libvorn-kravent-dllinterface-dev)
set(KRAVENT_DEB_TOOLS vorn-kravent-tools)

# The per-package documents are installed only into the packages (EXCLUDE_FROM_ALL).
set(KRAVENT_DEB_MAINTAINER "The Vorn-KRAVENT_DLLInterface authors <maintainers@vorn-kravent.org>")
foreach(component runtime dev tools)
  if(component STREQUAL runtime)
    set(package ${KRAVENT_DEB_RUNTIME})
  elseif(component STREQUAL dev)
    set(package ${KRAVENT_DEB_DEV})
  else()
    set(package ${KRAVENT_DEB_TOOLS})
  endif()
  set(doc ${CMAKE_CURRENT_BINARY_DIR}/debian/${package})
  configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${doc}/copyright COPYONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/changelog.in ${doc}/changelog @ONLY)
  execute_process(COMMAND gzip -9nf ${doc}/changelog)
  install(FILES ${doc}/copyright ${doc}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package}
          COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorn-kravent)
set(CPACK_PACKAGE_VERSION ${KRAVENT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Vorn-KRAVENT_DLLInterface authors")
set(CPACK_PACKAGE_CONTACT ${KRAVENT_DEB_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KRAVENT_DEB_MAINTAINER})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev tools)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The tools link the library of the runtime package, which the build tree holds.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/interface)
set(CPACK_STRIP_FILES ON)
# Whatever prefix the build was configured for: Debian packages install into /usr.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${KRAVENT_DEB_RUNTIME})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY "=")
# The library's directory joins the loader's cache through dpkg's ldconfig trigger.
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/debian/triggers "activate-noawait ldconfig\n")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_BINARY_DIR}/debian/triggers)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "host library of the KRAVENT DC-motor controller modules
Vorn-KRAVENT_DLLInterface drives KRAVENT modules, DC-motor controllers on an
Ethernet network: it finds them by UDP broadcast, changes their addresses, and
reads, writes and polls their registers over TCP through a flat C interface.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME ${KRAVENT_DEB_DEV})
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "${KRAVENT_DEB_RUNTIME} (= ${KRAVENT_VERSION})")
set(CPACK_COMPONENT_DEV_DESCRIPTION "host library of the KRAVENT modules - development files
The C header of Vorn-KRAVENT_DLLInterface, its CMake package (VornKRAVENT)
and pkg-config file (vorn-kravent), the section 3 manual pages and HTML
reference of every function, and example host programs.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME ${KRAVENT_DEB_TOOLS})
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS "${KRAVENT_DEB_RUNTIME} (= ${KRAVENT_VERSION})")
set(CPACK_COMPONENT_TOOLS_DESCRIPTION "command-line tool and simulator of the KRAVENT modules
kravent scans for KRAVENT DC-motor controller modules, reads, writes and polls
their registers, records step responses and changes their addresses;
kravent-sim plays modules with a motor model for tests and demonstrations.")
include(CPack)
