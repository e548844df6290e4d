#pragma once
// The settings file, duvix.ini: "[Section]" lines open sections, "key=value"
// lines follow. Sections and keys are matched without regard to case; every
// other line (comments, unknown keys and sections) is kept as it is. Each
// write replaces the whole file atomically, so a crash or a full disk never
// leaves it half written.

#include <cstddef>
#include <cstdint>
#include <string>

namespace plexo::platform {

// Where the file lives: the path set with SetSettingsFilePath, else the
// environment variable PLEXO_SETTINGS_FILE, else
// $XDG_CONFIG_HOME/plexo/duvix.ini, else ~/.config/plexo/duvix.ini.
std::string SettingsFilePath();
// Tests and embedders point the settings elsewhere; an empty path restores the
// default lookup.
void SetSettingsFilePath(std::string path);

// The value of the key with surrounding blanks (and one pair of enclosing
// quotes) removed, cut to maxLength characters; `fallback` when the file,
// section or key is missing.
std::string ReadProfileString(const std::string& section, const std::string& key, const std::string& fallback,
                              size_t maxLength = SIZE_MAX);

// The value read as a signed decimal integer (leading blanks and a sign
// allowed, reading stops at the first other character; no digits give 0);
// `fallback` when the key is missing.
int32_t ReadProfileInt(const std::string& section, const std::string& key, int32_t fallback);

// Sets the key, adding it (and its section) when missing. False when the file
// cannot be replaced, or when a name or the value holds a line break (or the
// section a ']', the key a '='), which would corrupt the file; the file is
// then unchanged.
bool WriteProfileString(const std::string& section, const std::string& key, const std::string& value);

}  // namespace plexo::platform
