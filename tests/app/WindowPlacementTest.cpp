// The main window's normal bounds, saved while it is minimised or
// maximised: GetWindowPlacement gives them relative to the work area, the
// settings file and the restore take them relative to the screen.

#include <gtest/gtest.h>

#include "app/WindowPlacement.h"

namespace klarvex {
namespace {

bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(WindowPlacementTest, WorkspaceRectanglesLandWhereTheWindowWasOnTheScreen) {
    struct Case {
        const char* taskbar;
        RECT monitor;
        RECT work;
        RECT workspace;  // what GetWindowPlacement gives
        RECT screen;     // where the window was
    };
    const Case cases[] = {
        {"at the bottom", {0, 0, 1280, 1024}, {0, 0, 1280, 984}, {100, 80, 800, 600}, {100, 80, 800, 600}},
        {"at the top", {0, 0, 1280, 1024}, {0, 40, 1280, 1024}, {100, 80, 800, 600}, {100, 120, 800, 640}},
        {"at the left", {0, 0, 1280, 1024}, {60, 0, 1280, 1024}, {100, 80, 800, 600}, {160, 80, 860, 600}},
        {"at the left of a second monitor", {1280, 0, 2560, 1024}, {1340, 0, 2560, 1024}, {1380, 80, 2080, 600},
         {1440, 80, 2140, 600}},
        {"none", {0, 0, 1280, 1024}, {0, 0, 1280, 1024}, {100, 80, 800, 600}, {100, 80, 800, 600}},
    };
    for (const auto& test : cases) {
        const RECT screen = WorkspaceToScreen(test.workspace, test.monitor, test.work);
        EXPECT_TRUE(screen == test.screen) << "taskbar " << test.taskbar << ": " << screen.left << "," << screen.top
                                           << "," << screen.right << "," << screen.bottom;
    }
}

}  // namespace
}  // namespace klarvex
