# index.dat reader and wiper (included from tests/CMakeLists.txt).
klarvex_add_test(NAME ie_index_dat_tests SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/IndexDatWalkTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/IndexDatRealFilesTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/IndexDatWinTest.cpp
)

# The Internet Explorer cleaners on the sandbox's folders, registry and URL
# cache, with the URL history object and protected storage of the test's own.
klarvex_add_test(NAME ie_cleaners_tests SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/IECleanersTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../cleaners/CleanerFixture.cpp
)
target_link_libraries(ie_cleaners_tests PRIVATE wininet ole32 uuid)
add_dependencies(ie_cleaners_tests klarvex-cli)
