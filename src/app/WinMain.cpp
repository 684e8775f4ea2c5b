// Klarvex.exe: the program entry. Creates the main window and runs the
// message loop until the window is gone.

#include <windows.h>

#include <shellapi.h>

#include <exception>
#include <string>

#include "app/Main.h"
#include "base/Exception.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "platform/FreeSpaceWipe.h"
#include "settings/Global.h"
#include "ui/DialogBase.h"

namespace {

// Only the first command-line argument means anything to the program.
std::wstring FirstArgument() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring first = arguments && count > 1 ? arguments[1] : L"";
    LocalFree(arguments);
    return first;
}

// The language the settings choose, before any window is made in it.
void ChooseLanguage() {
    klarvex::SetTextLanguage(klarvex::ChosenLanguage(klarvex::ReadLanguageSetting(), GetUserDefaultUILanguage(),
                                                     klarvex::ShippedLanguages()));
}

int Run(HINSTANCE instance, int showCommand) {
    ChooseLanguage();
    // A wipe of free space broken off by a crash left its folder.
    klarvex::RemoveWipeLeftovers();
    klarvex::TfrmMain::RegisterWindowClasses(instance);
    klarvex::TfrmMain mainWindow(FirstArgument());
    if (!mainWindow.Create(nullptr)) {
        klarvex::ShowErrorBox(nullptr, klarvex::LoadText(IDS_CANNOT_CREATE_MAIN_WINDOW));
        return 1;
    }
    // A silent start does its work without ever showing the window.
    if (klarvex::ParseStartSwitch(FirstArgument()).silent) {
        mainWindow.FirstActivation();
    } else {
        ShowWindow(mainWindow.Handle(), showCommand);
        UpdateWindow(mainWindow.Handle());
        mainWindow.FirstActivation();  // in case no activation reached the window
    }

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (mainWindow.PreTranslate(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

// What the window procedures do not catch (the start outside them) ends the
// program with its message shown, never through the C++ runtime's abort.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    try {
        return Run(instance, showCommand);
    } catch (const klarvex::Exception& e) {
        klarvex::ShowErrorBox(nullptr, e.Message());
    } catch (const std::exception& e) {
        klarvex::ShowErrorBox(nullptr, klarvex::Utf8ToWide(e.what()));
    } catch (...) {
        klarvex::ShowErrorBox(nullptr, klarvex::LoadText(IDS_UNKNOWN_ERROR));
    }
    return 1;
}
