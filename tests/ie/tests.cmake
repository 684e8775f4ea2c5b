# index.dat reader and wiper (included from tests/CMakeLists.txt).
klarvex_add_test(NAME ie_index_dat_tests SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/IndexDatWalkTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/IndexDatRealFilesTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/IndexDatWinTest.cpp
)
