#include "app/core/Startup.h"

#include "../support/Calls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RecordingPlatform : public IStartupPlatform {
public:
    MutexResult mutex{true, false};
    bool libraryPresent = true;
    bool magInitializeWorks = true;
    Calls calls;
    bool dialogUsedMagnifier = false;
    bool settingFileExisted = true;
    bool dialogFirstStart = false;

    MutexResult CreateInstanceMutex() override {
        calls.push_back("CreateMutex");
        return mutex;
    }
    void ReleaseInstanceMutex() override { calls.push_back("ReleaseMutex"); }
    void ShowRunningInstance() override { calls.push_back("ShowRunningInstance"); }
    void InitCommonControls() override { calls.push_back("InitCommonControls"); }
    void InitOle() override { calls.push_back("InitOle"); }
    void InitSettingFile(bool& fileExisted) override {
        calls.push_back("InitSettingFile");
        fileExisted = settingFileExisted;
    }
    bool LoadMagnification() override {
        calls.push_back("LoadMagnification");
        return libraryPresent;
    }
    bool MagInitialize() override {
        calls.push_back("MagInitialize");
        return magInitializeWorks;
    }
    void FreeMagnification() override { calls.push_back("FreeMagnification"); }
    void RunMainDialog(bool useMagnifier, bool firstStart) override {
        calls.push_back("RunMainDialog");
        dialogUsedMagnifier = useMagnifier;
        dialogFirstStart = firstStart;
    }
};

Calls RunLife(RecordingPlatform& platform, int osMajor) {
    StartupSequence app(platform, osMajor);
    EXPECT_FALSE(app.InitInstance());
    app.ExitInstance();
    return platform.calls;
}

} // namespace

TEST(StartupSequence_RunsStepsInOrder, MagnificationPathWithLibrary) {
    RecordingPlatform platform;
    EXPECT_EQ(RunLife(platform, 6), (Calls{"CreateMutex", "InitCommonControls", "InitOle",
                                           "InitSettingFile", "LoadMagnification", "MagInitialize",
                                           "RunMainDialog", "ReleaseMutex", "FreeMagnification"}));
    EXPECT_TRUE(platform.dialogUsedMagnifier);
    EXPECT_FALSE(platform.dialogFirstStart);
}

TEST(StartupSequence_RunsStepsInOrder, MissingSettingFileMakesAFirstStart) {
    RecordingPlatform platform;
    platform.settingFileExisted = false;
    RunLife(platform, 6);
    EXPECT_TRUE(platform.dialogFirstStart);
}

TEST(StartupSequence_RunsStepsInOrder, GateClosedTouchesNoMagnification) {
    for (int major : {5, 4, 0, -1}) {
        RecordingPlatform platform;
        EXPECT_EQ(RunLife(platform, major),
                  (Calls{"CreateMutex", "InitCommonControls", "InitOle", "InitSettingFile",
                         "RunMainDialog", "ReleaseMutex"}))
            << "major " << major;
        EXPECT_FALSE(platform.dialogUsedMagnifier);
    }
}

TEST(StartupSequence_RunsStepsInOrder, GateOpenWithoutLibraryFallsBackToScreenCopy) {
    RecordingPlatform platform;
    platform.libraryPresent = false;
    EXPECT_EQ(RunLife(platform, 10),
              (Calls{"CreateMutex", "InitCommonControls", "InitOle", "InitSettingFile",
                     "LoadMagnification", "RunMainDialog", "ReleaseMutex"}));
    EXPECT_FALSE(platform.dialogUsedMagnifier);
}

TEST(StartupSequence_RunsStepsInOrder, FailingMagInitializeStillUnloadsButCopiesScreen) {
    RecordingPlatform platform;
    platform.magInitializeWorks = false;
    EXPECT_EQ(RunLife(platform, 6), (Calls{"CreateMutex", "InitCommonControls", "InitOle",
                                           "InitSettingFile", "LoadMagnification", "MagInitialize",
                                           "RunMainDialog", "ReleaseMutex", "FreeMagnification"}));
    EXPECT_FALSE(platform.dialogUsedMagnifier);
}

TEST(StartupSequence_RejectsSecondInstance, Table) {
    struct Case {
        const char* name;
        IStartupPlatform::MutexResult mutex;
        Calls expected;
    } cases[] = {
        // Holding a handle to the other instance's mutex: the release fails
        // harmlessly, nothing else runs.
        {"mutex exists", {true, true}, {"CreateMutex", "ShowRunningInstance", "ReleaseMutex"}},
        {"mutex null", {false, false}, {"CreateMutex"}},
    };
    for (const Case& c : cases) {
        RecordingPlatform platform;
        platform.mutex = c.mutex;
        EXPECT_EQ(RunLife(platform, 6), c.expected) << c.name;
    }
}
