#pragma once
// Points the settings file into a fresh folder for one test, so that no test
// ever reads or writes the user's own settings.

#include <cstdlib>
#include <string>

#include "platform/profile.h"
#include "support/temp_dir.h"

namespace plexo::test {

// A test that forgets the sandbox still never touches the user's file: this
// path can be neither read nor created.
inline const bool kSettingsGuard = [] { return setenv("PLEXO_SETTINGS_FILE", "/dev/null/duvix.ini", 1) == 0; }();

class SettingsSandbox {
public:
    SettingsSandbox() { platform::SetSettingsFilePath(path()); }
    ~SettingsSandbox() { platform::SetSettingsFilePath(""); }
    SettingsSandbox(const SettingsSandbox&) = delete;
    SettingsSandbox& operator=(const SettingsSandbox&) = delete;

    std::string path() const { return dir.file("duvix.ini"); }
    std::string text() const
    {
        const auto bytes = ReadBytes(path());
        return {bytes.begin(), bytes.end()};
    }
    // The file as a new run finds it: what this process read before is
    // forgotten.
    void setText(const std::string& text) const
    {
        WriteBytes(path(), {text.begin(), text.end()});
        platform::SetSettingsFilePath(path());
    }

    TempDir dir;
};

}  // namespace plexo::test
