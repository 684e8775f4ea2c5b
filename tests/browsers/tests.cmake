# The SQLite access layer, on real and made-up databases; needs sqlite3.dll
# beside the test program, and starts a second copy of itself to hold a lock.
klarvex_add_test(NAME browsers_sqlite_tests SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/SQLiteFixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SQLite3Test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SQLiteTable3Test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SQLiteLockTest.cpp
)
add_dependencies(browsers_sqlite_tests sqlite3)
