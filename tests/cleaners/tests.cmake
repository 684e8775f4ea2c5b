# The Windows, Advanced, Office and messenger cleaners on real traces in the
# sandbox prefix (included from tests/CMakeLists.txt).
add_executable(klarvex-clipboard-holder ${CMAKE_CURRENT_LIST_DIR}/ClipboardHolder.cpp)
target_link_options(klarvex-clipboard-holder PRIVATE -municode)
target_include_directories(klarvex-clipboard-holder PRIVATE ${CMAKE_CURRENT_LIST_DIR}/.. ${PROJECT_SOURCE_DIR}/src)

klarvex_add_test(NAME cleaners_tests SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/CleanerFixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WindowsCleanersTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RecycleBinTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ClipboardTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OfficeCleanersTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MessengerCleanersTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CliCleanersTest.cpp
)
add_dependencies(cleaners_tests klarvex-clipboard-holder klarvex-cli)
