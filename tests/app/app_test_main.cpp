// The window tests' main(): Qt on the offscreen platform and the settings file
// in a scratch folder, both before anything of Qt or the settings is touched.

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/temp_dir.h"
#include "video/video_formats.h"

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const plexo::test::TempDir config;
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    unsetenv("PLEXO_SETTINGS_FILE");
    // No flipper driver unless a test registers one, whatever the machine
    // has installed in /etc/plexo.
    setenv("PLEXO_REGISTRY", (config.path() / "no-registry.ini").c_str(), 1);
    // The window tests never switch the modes of a real display.
    unsetenv("DISPLAY");
    QApplication app(argc, argv);
    // As the viewer's main() does: the video rows of the tables of file and
    // export formats.
    plexo::video::AddVideoFormats();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
