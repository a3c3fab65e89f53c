# cmake -DPROGRAMA=... -DCARPETA=... -DCSV=... -P catalogo_ejemplo.cmake
# Imports the sample catalogue unless the folder already holds a Tarifas.Dat.
if(EXISTS "${CARPETA}/Tarifas.Dat")
  return()
endif()
execute_process(COMMAND "${PROGRAMA}" "${CSV}" "${CARPETA}/Tarifas.Dat"
                RESULT_VARIABLE resultado)
if(NOT resultado EQUAL 0)
  message(FATAL_ERROR "No se pudo crear ${CARPETA}/Tarifas.Dat a partir de ${CSV}")
endif()
