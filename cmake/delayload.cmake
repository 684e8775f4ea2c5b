# Delay-loaded system DLLs: a program linked through klarvex_delay_load loads
# each of those DLLs the first time it calls into it, not at start-up. A run
# that never needs WinINet, COM or the shell never pays for loading them
# (under Wine each brings several more DLLs with it).
#
# The delay-load import library of a DLL is made by dlltool from a list of
# its exports, read off MinGW's own import library for it, so every function
# the import library offers is there.

function(klarvex_delay_import_library dll out_var)
    set(lib ${CMAKE_BINARY_DIR}/delayload/lib${dll}-delay.a)
    if(NOT EXISTS ${lib})
        find_library(_klarvex_import ${dll} NO_CACHE REQUIRED)
        execute_process(COMMAND ${CMAKE_NM} -g --defined-only ${_klarvex_import}
            OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
        string(REGEX MATCHALL "I __imp_[A-Za-z0-9_@?$]+" imports "${symbols}")
        list(TRANSFORM imports REPLACE "^I __imp_" "")
        list(REMOVE_DUPLICATES imports)
        list(JOIN imports "\n" exports)
        set(def ${CMAKE_BINARY_DIR}/delayload/${dll}.def)
        file(WRITE ${def} "LIBRARY ${dll}.dll\nEXPORTS\n${exports}\n")
        execute_process(COMMAND ${CMAKE_DLLTOOL} --input-def ${def} --output-delaylib ${lib} --dllname ${dll}.dll
            COMMAND_ERROR_IS_FATAL ANY)
    endif()
    set(${out_var} ${lib} PARENT_SCOPE)
endfunction()

# klarvex_delay_load(target PUBLIC|PRIVATE dll ...)
function(klarvex_delay_load target scope)
    foreach(dll IN LISTS ARGN)
        klarvex_delay_import_library(${dll} lib)
        target_link_libraries(${target} ${scope} ${lib})
    endforeach()
endfunction()
