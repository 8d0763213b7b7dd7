# The distributable ZIP of a Windows build (`cpack -G ZIP` in the build directory): what
# the install rules put in bin/, lib/ and include/, plus a module-definition file for a
# host's own import-library tool, the Windows example host program and a README for
# Windows hosts. One ZIP per architecture: ...-win32.zip and ...-win64.zip.
install(FILES ${PROJECT_BINARY_DIR}/interface/Vorn-KRAVENT_DLLInterface-implib.def
        DESTINATION ${CMAKE_INSTALL_LIBDIR} RENAME Vorn-KRAVENT_DLLInterface.def)
install(FILES ${PROJECT_SOURCE_DIR}/examples/read_voltage_windows.c DESTINATION examples)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Vorn-KRAVENT_DLLInterface)
set(CPACK_PACKAGE_VERSION ${KRAVENT_VERSION})
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(CPACK_SYSTEM_NAME win32)
else()
  set(CPACK_SYSTEM_NAME win64)
endif()
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
