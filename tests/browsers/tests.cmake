# The SQLite access layer on real and made-up databases, and the browser
# cleaners on profiles placed in the sandbox; needs sqlite3.dll beside the
# test program, and starts a second copy of itself to hold a lock.
klarvex_add_test(NAME browsers_tests SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/SQLiteFixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SQLite3Test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SQLiteTable3Test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SQLiteLockTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BrowserCleanersTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/JsonEditTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../cleaners/CleanerFixture.cpp
)
add_dependencies(browsers_tests sqlite3 klarvex-cli klarvex-window-holder)
