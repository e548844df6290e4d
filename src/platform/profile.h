#pragma once
// The settings file, duvix.ini: "[Section]" lines open sections, "key=value"
// lines follow; CR, LF and CRLF all end a line. Sections and keys are matched
// without regard to case; every other line (comments, unknown keys and
// sections) is kept as it is. Each write replaces the whole file atomically,
// so a crash or a full disk never leaves it half written, and under an
// advisory lock on "duvix.ini.lock" beside it, so that processes writing at
// once keep each other's keys (a lock not had within two seconds, or that
// cannot be made, is done without, and the log says so). The file itself
// follows its link, but not one that the kernel would refuse. A run reads the file once, at its first read;
// what is not a readable file (a folder, say) gives the defaults, a log
// message, and is never written.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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
// section a ']', the key a '=' or a leading '[', a name blanks around it),
// which would not read back; the file is then unchanged.
bool WriteProfileString(const std::string& section, const std::string& key, const std::string& value);

struct ProfileEntry {
    std::string section;
    std::string key;
    std::string value;
};
// Sets the keys in order with one replacement of the file, which ends up as
// the writes one by one would leave it. False, with the file unchanged, when
// any entry is refused or the file cannot be replaced.
bool WriteProfileStrings(const std::vector<ProfileEntry>& entries);

struct ProfileKey {
    std::string key;
    std::string value;
};
using ProfileKeys = std::vector<ProfileKey>;

// Every key of the section in the file's order, with its value as
// ReadProfileString gives it; empty when the file or the section is missing.
ProfileKeys ReadProfileSection(const std::string& section);

// Replaces the section's keys with what `change` makes of them, read again
// under the lock, so that keys another process wrote meanwhile are changed,
// not lost. Keys are taken as given, case and all. The new keys go where the
// first old one was, and the section's other lines stay. False, with the
// file unchanged, when a key or value would not read back (as for
// WriteProfileString) or the file cannot be replaced. An open batch does not
// hold it back.
bool RewriteProfileSection(const std::string& section, const std::function<ProfileKeys(ProfileKeys)>& change);

// While a batch is open, writes are held back (and report success); the last
// batch to close writes them all at once, as at the end of a run.
class ProfileWriteBatch {
public:
    ProfileWriteBatch();
    ~ProfileWriteBatch();
    ProfileWriteBatch(const ProfileWriteBatch&) = delete;
    ProfileWriteBatch& operator=(const ProfileWriteBatch&) = delete;
};

}  // namespace plexo::platform
