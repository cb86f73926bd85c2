# Writes a module-definition file naming every function an import library imports from its
# DLL, and the functions EXTRA names beside them, for dlltool to make a delay-loading import
# library of.
# Usage: cmake -DNM=<nm> -DIMPORT=<libX.a> -DDLL=<x.dll> -DDEF=<x.def> [-DEXTRA=<f;g>]
#            -P WriteExportsDef.cmake
execute_process(COMMAND ${NM} ${IMPORT} OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL " I __imp_[^\r\n]+" imports "${symbols}")
set(lines "LIBRARY ${DLL}\nEXPORTS\n")
foreach(import ${imports})
    string(REPLACE " I __imp_" "" name "${import}")
    string(APPEND lines "    ${name}\n")
endforeach()
foreach(name ${EXTRA})
    string(APPEND lines "    ${name}\n")
endforeach()
file(WRITE ${DEF} "${lines}")
