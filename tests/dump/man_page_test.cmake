# Renders the man page with every groff warning on; any diagnostic fails the test.
execute_process(COMMAND ${GROFF} -ww -t -man -Tutf8 -z ${PAGE}
                RESULT_VARIABLE status ERROR_VARIABLE diagnostics)
if(NOT status EQUAL 0 OR NOT diagnostics STREQUAL "")
  message(FATAL_ERROR "groff: status ${status}\n${diagnostics}")
endif()
