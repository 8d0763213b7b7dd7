# Writes the module-definition files of the Windows DLL from the functions that the
# internal library really defines (its object files' symbols) and that the public
# header declares, so that only functions that exist are exported.
#
#   -DNM=<nm> -DARCHIVE=<libkravent_core.a> -DHEADER=<public header>
#   -DUNDERSCORE_ONLY=ON|OFF   ON: 32-bit, export `_Name` alone; OFF: `Name` and `_Name`
#   -DDEF=<linker .def> -DIMPLIB_DEF=<.def for dlltool: plain names in the import library>
cmake_minimum_required(VERSION 3.20)
execute_process(COMMAND ${NM} -g --defined-only ${ARCHIVE}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE nm_result)
if(NOT nm_result EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${ARCHIVE}")
endif()
file(READ ${HEADER} header)
string(REGEX MATCHALL "Vorn_KRAVENT_[A-Za-z0-9_]+[ \t]*\\(" declared "${header}")
string(REGEX REPLACE "[ \t]*\\(" "" declared "${declared}")

# 32-bit C symbols carry the cdecl underscore: _Vorn_KRAVENT_Read_TYPE.
if(UNDERSCORE_ONLY)
  set(decoration "_")
else()
  set(decoration "")
endif()
string(REGEX MATCHALL "[ \t]T[ \t]${decoration}Vorn_KRAVENT_[A-Za-z0-9_]+" defined "${symbols}")
set(names "")
foreach(entry IN LISTS defined)
  string(REGEX REPLACE "^[ \t]T[ \t]${decoration}" "" name "${entry}")
  if(name IN_LIST declared)
    list(APPEND names ${name})
  endif()
endforeach()
list(REMOVE_DUPLICATES names)
list(SORT names)

set(def "LIBRARY \"Vorn-KRAVENT_DLLInterface.dll\"\nEXPORTS\n")
set(implib "LIBRARY \"Vorn-KRAVENT_DLLInterface.dll\"\nEXPORTS\n")
foreach(name IN LISTS names)
  if(UNDERSCORE_ONLY)
    string(APPEND def "  _${name} = ${name}\n")
  else()
    string(APPEND def "  ${name}\n  _${name} = ${name}\n")
  endif()
  # A host linking the import library calls the plain name; the DLL exports `_name`.
  string(APPEND implib "  ${name} == _${name}\n")
endforeach()

foreach(pair "DEF;def" "IMPLIB_DEF;implib")
  list(GET pair 0 path_var)
  list(GET pair 1 text_var)
  if(DEFINED ${path_var})
    set(old "")
    if(EXISTS ${${path_var}})
      file(READ ${${path_var}} old)
    endif()
    if(NOT old STREQUAL "${${text_var}}")
      file(WRITE ${${path_var}} "${${text_var}}")
    endif()
  endif()
endforeach()
list(LENGTH names count)
message(STATUS "Vorn-KRAVENT_DLLInterface.dll exports ${count} functions")
