# Makes a delay-import library for a DLL from its import library (cmake -P, MinGW): the DLL is
# then loaded at the first call of one of its functions, not when the program starts.
#   -DNM=... -DDLLTOOL=... -DIMPORT=libfoo.a -DDLL=foo.dll -DOUT=libfoo_delay.a
execute_process(COMMAND ${NM} -g --defined-only ${IMPORT} OUTPUT_VARIABLE symbols
                COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "[0-9a-fA-F]+ T [A-Za-z_][A-Za-z0-9_@]*" functions "${symbols}")
set(def "LIBRARY ${DLL}\nEXPORTS\n")
foreach(line IN LISTS functions)
  string(REGEX REPLACE "^[0-9a-fA-F]+ T " "" name "${line}")
  string(APPEND def "${name}\n")
endforeach()
get_filename_component(folder ${OUT} DIRECTORY)
file(WRITE ${folder}/${DLL}.def "${def}")
execute_process(COMMAND ${DLLTOOL} --input-def ${folder}/${DLL}.def --dllname ${DLL}
                        --output-delaylib ${OUT} COMMAND_ERROR_IS_FATAL ANY)
