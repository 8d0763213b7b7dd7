# Installation: the shared library with its header, an exported CMake package
# (find_package(VornKRAVENT) gives VornKRAVENT::VornKRAVENT), a pkg-config file
# (vorn-kravent.pc), the simulator and the tool with a run path that follows the
# installed tree, the man pages and HTML reference (docs/), the examples, the bash
# completion and the licence. Components, as the Debian packages split them: runtime
# (the shared library), dev (what building a host needs) and tools (the programs).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(KRAVENT_LIBRARY Vorn-KRAVENT_DLLInterface)

# The library's version comes from its version text, "..._v1.00.00_...".
file(GLOB kravent_interface_sources ${PROJECT_SOURCE_DIR}/interface/*.cpp)
foreach(source ${kravent_interface_sources})
  file(STRINGS ${source} version_line REGEX "Vorn-KRAVENT_DLLInterface_v[0-9]+\\.[0-9]+\\.[0-9]+_")
  if(version_line)
    break()
  endif()
endforeach()
if(NOT version_line MATCHES "_v([0-9]+)\\.([0-9]+)\\.([0-9]+)_")
  message(FATAL_ERROR "no version text found in interface/")
endif()
math(EXPR major "${CMAKE_MATCH_1}")
math(EXPR minor "${CMAKE_MATCH_2}")
math(EXPR patch "${CMAKE_MATCH_3}")
set(KRAVENT_VERSION ${major}.${minor}.${patch})
# The version text is the one source; project() repeats it only because CMake needs it first.
if(NOT KRAVENT_VERSION VERSION_EQUAL PROJECT_VERSION)
  message(FATAL_ERROR "project(VERSION ${PROJECT_VERSION}) differs from the library's version text (${KRAVENT_VERSION})")
endif()

if(NOT WIN32)
  # The Windows DLL keeps its one file name; on Linux the usual versioned names.
  set_target_properties(${KRAVENT_LIBRARY} PROPERTIES VERSION ${KRAVENT_VERSION} SOVERSION ${major})
endif()
set_target_properties(${KRAVENT_LIBRARY} PROPERTIES EXPORT_NAME VornKRAVENT)
target_include_directories(${KRAVENT_LIBRARY} INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)

install(TARGETS ${KRAVENT_LIBRARY} EXPORT VornKRAVENTTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
install(FILES ${PROJECT_SOURCE_DIR}/include/Vorn-KRAVENT_DLLInterface.h ${PROJECT_SOURCE_DIR}/include/kravent.hpp DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        COMPONENT dev)

set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/VornKRAVENT)
install(EXPORT VornKRAVENTTargets NAMESPACE VornKRAVENT:: DESTINATION ${config_dir} COMPONENT dev)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/VornKRAVENTConfig.cmake.in [=[
@PACKAGE_INIT@
include("${CMAKE_CURRENT_LIST_DIR}/VornKRAVENTTargets.cmake")
check_required_components(VornKRAVENT)
]=])
configure_package_config_file(${CMAKE_CURRENT_BINARY_DIR}/VornKRAVENTConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/VornKRAVENTConfig.cmake INSTALL_DESTINATION ${config_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/VornKRAVENTConfigVersion.cmake
  VERSION ${KRAVENT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/VornKRAVENTConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/VornKRAVENTConfigVersion.cmake
  DESTINATION ${config_dir} COMPONENT dev)

if(NOT WIN32)
  # Relative to the .pc file, so that the installed tree may be moved.
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/vorn-kravent.pc.in [=[
prefix=${pcfiledir}/@pc_prefix_from_pc@
libdir=${prefix}/@CMAKE_INSTALL_LIBDIR@
includedir=${prefix}/@CMAKE_INSTALL_INCLUDEDIR@

Name: vorn-kravent
Description: Host library of the KRAVENT DC-motor controller modules (Vorn-KRAVENT_DLLInterface)
Version: @KRAVENT_VERSION@
Libs: -L${libdir} -lVorn-KRAVENT_DLLInterface
Cflags: -I${includedir}
]=])
  file(RELATIVE_PATH pc_prefix_from_pc /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
  string(REGEX REPLACE "/$" "" pc_prefix_from_pc "${pc_prefix_from_pc}")
  configure_file(${CMAKE_CURRENT_BINARY_DIR}/vorn-kravent.pc.in ${CMAKE_CURRENT_BINARY_DIR}/vorn-kravent.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vorn-kravent.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)
endif()

# The programs find the library through a run path relative to their own place.
file(RELATIVE_PATH bin_to_lib /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
foreach(program kravent kravent-sim)
  if(TARGET ${program})
    set_target_properties(${program} PROPERTIES INSTALL_RPATH "$ORIGIN/${bin_to_lib}")
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
  endif()
endforeach()

# The licence beside the documentation (at the top of the Windows ZIP), and the example
# hosts with it.
if(WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . COMPONENT runtime)
else()
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/CHANGELOG.md DESTINATION ${CMAKE_INSTALL_DOCDIR}
          COMPONENT dev)
  install(FILES ${PROJECT_SOURCE_DIR}/examples/read_voltage.c ${PROJECT_SOURCE_DIR}/examples/quick_start.py
          DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples COMPONENT dev)
  if(TARGET kravent)
    install(FILES ${PROJECT_SOURCE_DIR}/cli/completion/kravent.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
            RENAME kravent COMPONENT tools)
  endif()
endif()
