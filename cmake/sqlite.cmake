# sqlite3.dll, built from the official SQLite amalgamation.
#
# The amalgamation is not part of the repository: scripts/fetch-sqlite.sh
# brings the pinned, checksummed upstream source into the build tree the
# first time the project is configured. The DLL lands next to the
# executables; the program looks it up there at run time.

set(KLARVEX_SQLITE_ROOT ${CMAKE_BINARY_DIR}/third_party/sqlite)
set(KLARVEX_SQLITE_SOURCE_DIR ${KLARVEX_SQLITE_ROOT}/sqlite-amalgamation-3520000)

if(NOT EXISTS ${KLARVEX_SQLITE_SOURCE_DIR}/sqlite3.c OR
   NOT EXISTS ${KLARVEX_SQLITE_SOURCE_DIR}/sqlite3.h)
    execute_process(
        COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../scripts/fetch-sqlite.sh ${KLARVEX_SQLITE_ROOT}
        RESULT_VARIABLE _klarvex_sqlite_fetch)
    if(NOT _klarvex_sqlite_fetch EQUAL 0)
        message(FATAL_ERROR "Could not obtain the SQLite source (scripts/fetch-sqlite.sh failed)")
    endif()
endif()

enable_language(C)

add_library(sqlite3 SHARED ${KLARVEX_SQLITE_SOURCE_DIR}/sqlite3.c)
set_target_properties(sqlite3 PROPERTIES
    PREFIX ""
    OUTPUT_NAME sqlite3
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
target_include_directories(sqlite3 PUBLIC ${KLARVEX_SQLITE_SOURCE_DIR})
target_compile_definitions(sqlite3 PRIVATE
    "SQLITE_API=__declspec(dllexport)"
    SQLITE_THREADSAFE=1
    SQLITE_OMIT_LOAD_EXTENSION)
# Upstream code: its warnings are not ours to fix, and a build that treats
# warnings as errors must not stop on them. Optimised for size and without
# debug information in every build type: the DLL is the same in all of them,
# and at -O2 it alone was half the portable zip, which stays under 2 MB.
target_compile_options(sqlite3 PRIVATE -w -Os -g0)
# The DLL must run without any MinGW runtime DLL beside it.
target_link_options(sqlite3 PRIVATE -static-libgcc -static)
