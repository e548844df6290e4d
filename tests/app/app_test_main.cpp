// The window tests' main(): Qt on the offscreen platform and the settings file
// in a scratch folder, both before anything of Qt or the settings is touched.

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    char pattern[] = "/tmp/plexo-app-tests-XXXXXX";
    const char* scratch = mkdtemp(pattern);
    if (!scratch)
        return 1;
    setenv("XDG_CONFIG_HOME", scratch, 1);
    unsetenv("PLEXO_SETTINGS_FILE");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
    return result;
}
