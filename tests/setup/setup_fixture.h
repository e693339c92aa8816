// Shared by the setup unit tests: on top of a clean registry and a sandbox
// folder as the current directory (the install folder, as in setup mode),
// the icon and font of start-up, no shortcuts, and silent mode off.
#ifndef LUMBEX_TESTS_SETUP_FIXTURE_H
#define LUMBEX_TESTS_SETUP_FIXTURE_H

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

#include "app/app.h"
#include "resources/footprint.h"
#include "resources/process.h"
#include "driver/lumbex_state.h"
#include "driver/sandbox.h"
#include "driver/setup_state.h"
#include "driver/ui_driver.h"
#include "setup/setup.h"

// Where the shortcut choices are kept.
const std::string LinksKey = std::string(SettingsKey) + "\\Links";

class SetupFixture : public ArchiverTest {
protected:
    SetupFixture() : ArchiverTest("setup unit") {}
    void SetUp() override
    {
        ArchiverTest::SetUp();
        StartUp(GetModuleHandleA(NULL));
        SilentMode = 0;
        ForgetSetup();
    }
    void TearDown() override
    {
        ForgetSetup();
        SilentMode = 0;
        CleanUp();
        ArchiverTest::TearDown();
    }
    std::string InFolder(const std::string& name) const { return folder + "\\" + name; }
};

// The dialogs' tests: the product's stand-ins in place, no program group yet,
// and no shell window left open by one.
class DialogFixture : public SetupFixture {
protected:
    void SetUp() override
    {
        SetupFixture::SetUp();
        ASSERT_TRUE(PlaceProduct(folder));
        ProgramGroupPath[0] = 0;
    }
    void TearDown() override
    {
        CloseFolderWindows("Lumbex");
        ProgramGroupPath[0] = 0;
        SetupFixture::TearDown();
    }
    // Runs a dialog of the own image in its modal loop on this thread while
    // `user` works it from another one, as a person would; it must end.
    static INT_PTR RunModal(const char* name, DLGPROC procedure, LPARAM parameter,
                            const std::string& okText, const std::function<void(HWND)>& user)
    {
        bool ended = false;
        std::thread person([&] {
            HWND dialog = WaitForDialog("Lumbex Setup", IDOK, okText, 10000);
            if (!dialog) {
                ADD_FAILURE() << "no dialog " << name;
                return;
            }
            user(dialog);
            ended = Eventually([&] { return !IsWindow(dialog); });
            if (!ended)
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        INT_PTR result = DialogBoxParamA(GetModuleHandleA(NULL), name, NULL, procedure, parameter);
        person.join();
        EXPECT_TRUE(ended) << name << " did not end";
        return result;
    }
};

// A folder whose full path has exactly the given length.
inline std::string FolderOfLength(size_t length)
{
    std::string base = MakeSandbox("long");
    std::string path = base + "\\" + std::string(100, 'a');
    CreateDirectoryA(path.c_str(), NULL);
    path += "\\" + std::string(length - path.size() - 1, 'b');
    CreateDirectoryA(path.c_str(), NULL);
    return path;
}

#endif
