#include "toolkit/Application.h"
#include "toolkit/Locations.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    // The tests, and the programs they start, must neither read nor write the user's own settings, catalogue,
    // saved list or Videos folder.
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
    qputenv("XDG_STATE_HOME", (home.path() + "/.local/state").toLocal8Bit());
    // Nor meet a window of the user's, or of another test run, as the one window of this display.
    qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit());
    SetProgramNames();
    QApplication qtApp(argc, argv);
    TApplication application;
    application.SetTitle("Quor Reelhand");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
