#include "convert/file_identity.h"

#include <sys/stat.h>

namespace plexo {

std::optional<FileIdentity> IdentityOf(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileIdentity{uint64_t(info.st_dev), uint64_t(info.st_ino)};
}

std::set<FileIdentity> IdentitiesOf(const std::vector<std::string>& paths)
{
    std::set<FileIdentity> identities;
    for (const std::string& path : paths)
        if (const auto identity = IdentityOf(path))
            identities.insert(*identity);
    return identities;
}

std::string FirstSourceHit(const std::vector<std::string>& outputs, const std::vector<std::string>& sources)
{
    const std::set<FileIdentity> read = IdentitiesOf(sources);
    for (const std::string& output : outputs)
        if (const auto identity = IdentityOf(output); identity && read.count(*identity))
            return output;
    return {};
}

}  // namespace plexo
