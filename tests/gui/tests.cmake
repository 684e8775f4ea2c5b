# The main window: its run control without windows, and the real
# Klarvex.exe driven through its window under the virtual display.
klarvex_add_test(NAME gui_tests SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/RunControlTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SaveLogTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WindowPlacementTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainWindowTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GuiDriver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CookiesManagerTest.cpp
    ${KLARVEX_APP_LOGIC})
target_include_directories(gui_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
add_dependencies(gui_tests Klarvex klarvex-cli klarvex-window-holder)

# The screenshots the GUI tests took, as PNG files in build/screenshots; it
# fails when they took none.
add_test(NAME gui_screenshots COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/screenshots.sh ${CMAKE_BINARY_DIR})
set_tests_properties(gui_screenshots PROPERTIES DEPENDS gui_tests)

# The index.dat viewer and the custom lists editor of the real Klarvex.exe.
klarvex_add_test(NAME gui_viewer_lists_tests SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/IndexDatViewerTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CustomListsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GuiDriver.cpp)
target_include_directories(gui_viewer_lists_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/.. ${PROJECT_SOURCE_DIR}/bench)
add_dependencies(gui_viewer_lists_tests Klarvex klarvex-cli klarvex-open-recorder)
set_property(TEST gui_screenshots APPEND PROPERTY DEPENDS gui_viewer_lists_tests)

# Stands in for the program the shell starts for an address.
add_executable(klarvex-open-recorder ${CMAKE_CURRENT_LIST_DIR}/../support/OpenRecorder.cpp)
target_link_options(klarvex-open-recorder PRIVATE -municode)
# The settings dialog and the boss key, driven with real key presses
# (xdotool) under the virtual display; their screenshots go with the
# others.
klarvex_add_test(NAME gui_settings_tests SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/OptionsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BossKeyTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GuiDriver.cpp)
target_include_directories(gui_settings_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
add_dependencies(gui_settings_tests Klarvex klarvex-window-holder)
set_property(TEST gui_screenshots APPEND PROPERTY DEPENDS gui_settings_tests)
