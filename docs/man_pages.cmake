# Keeps, of the section 3 pages Doxygen made in MAN_DIR, the header's page and one page per
# function, type and state, and gzips them: a page per record field would only crowd
# section 3 with names such as TYPE_Received.
file(GLOB pages "${MAN_DIR}/*.3")
foreach(page ${pages})
  get_filename_component(name ${page} NAME)
  if(NOT name MATCHES "^(Vorn_KRAVENT_[A-Za-z0-9_]+|Vorn-KRAVENT_DLLInterface\\.h|RegisterValues|ModuleScanRecord|ComID|Com_Event_Callback|Data_Received_MAINPORT_Callback|VORN_KRAVENT_STATE_[A-Z_]+)\\.3$")
    file(REMOVE ${page})
  endif()
endforeach()
file(GLOB pages "${MAN_DIR}/*.3")
execute_process(COMMAND ${GZIP} -9nf ${pages} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "gzip failed on the man pages")
endif()
