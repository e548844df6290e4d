#pragma once
// A group of integer keys of one section, read and written in the order of
// its table: each key names the member of the group that holds its value.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/profile.h"

namespace plexo::platform {

template <typename Group>
struct IntKey {
    const char* name;
    int32_t Group::*value;
};

// A missing key keeps the group's default.
template <typename Group, size_t N>
Group ReadIntKeys(const char* section, const IntKey<Group> (&keys)[N])
{
    Group group;
    for (const IntKey<Group>& key : keys)
        group.*key.value = ReadProfileInt(section, key.name, group.*key.value);
    return group;
}

template <typename Group, size_t N>
void WriteIntKeys(const char* section, const IntKey<Group> (&keys)[N], const Group& group)
{
    for (const IntKey<Group>& key : keys)
        WriteProfileString(section, key.name, std::to_string(group.*key.value));
}

}  // namespace plexo::platform
