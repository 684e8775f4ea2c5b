# Removal primitives, rule files and the shipped rule file (included from
# tests/CMakeLists.txt).
klarvex_add_test(NAME engine_tests SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/RuleTextTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FilePrimitivesTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RegistryPrimitivesTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RuleFileTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ShippedRulesTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Winapp2TextTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Winapp2RulesTest.cpp
)
# Folder links need a Unix symlink made from outside Wine: their tests are a
# program of their own, run only by the script that makes the links.
add_executable(engine_folder_links_tests ${CMAKE_CURRENT_LIST_DIR}/FolderLinksTest.cpp ${KLARVEX_STRINGS})
target_link_libraries(engine_folder_links_tests PRIVATE klarvex_core klarvex_test_support klarvex_warnings
    klarvex_test_main)
add_test(NAME engine_folder_links
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/folder_links_test.sh $<TARGET_FILE:engine_folder_links_tests>)
set_tests_properties(engine_folder_links PROPERTIES TIMEOUT 300)

# The custom list and the viewer's address rule, without windows.
klarvex_add_test(NAME lists_viewer_logic_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/CustomListTest.cpp)
