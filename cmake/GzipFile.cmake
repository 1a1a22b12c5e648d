# Script mode: compresses INPUT into OUTPUT with GZIP, as man pages are shipped.
#   cmake -DGZIP=/bin/gzip -DINPUT=page.1 -DOUTPUT=page.1.gz -P GzipFile.cmake
# -n leaves the name and time stamp out, so the result depends on the content only.
execute_process(
  COMMAND ${GZIP} -9 -n -c ${INPUT}
  OUTPUT_FILE ${OUTPUT}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "gzip failed on ${INPUT}: ${result}")
endif()
