# The main window: its run control without windows, and the real
# Klarvex.exe driven through its window under the virtual display.
klarvex_add_test(NAME gui_tests SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/RunControlTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SaveLogTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WindowPlacementTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainWindowTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GuiDriver.cpp
    ${KLARVEX_APP_LOGIC})
target_include_directories(gui_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
add_dependencies(gui_tests Klarvex klarvex-cli klarvex-window-holder)

# The screenshots the GUI tests took, as PNG files in build/screenshots; it
# fails when they took none.
add_test(NAME gui_screenshots COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/screenshots.sh ${CMAKE_BINARY_DIR})
set_tests_properties(gui_screenshots PROPERTIES DEPENDS gui_tests)

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
