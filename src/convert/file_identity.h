#pragma once
// Files told apart by what they are rather than by name: a name that is a
// link, or another path to the same file, has the identity of the file it
// reaches. A run checks its outputs against its source's files so.

#include <compare>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace plexo {

struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    auto operator<=>(const FileIdentity&) const = default;
};

// Empty when nothing is at `path`.
std::optional<FileIdentity> IdentityOf(const std::string& path);

// The first of `outputs` that is one of the `sources` files; empty when none is.
std::string FirstSourceHit(const std::vector<std::string>& outputs, const std::vector<std::string>& sources);

// The identities of those `paths` that exist.
std::set<FileIdentity> IdentitiesOf(const std::vector<std::string>& paths);

}  // namespace plexo
