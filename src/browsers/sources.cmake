# The SQLite access layer. sqlite3.dll is looked up at run time (so a missing
# DLL gives a message instead of a loader error), which means there is
# nothing to link against; the DLL is still built with the program and put
# next to it.
target_sources(klarvex_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/SQLite3.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SQLiteTable3.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TableCleanup.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BrowserFolders.cpp
    ${CMAKE_CURRENT_LIST_DIR}/JsonEdit.cpp)
target_include_directories(klarvex_core PUBLIC ${KLARVEX_SQLITE_SOURCE_DIR})
if(TARGET sqlite3)
    add_dependencies(klarvex_core sqlite3)
endif()
