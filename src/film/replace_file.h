#pragma once
// Writing a whole file so that a reader never finds it half-written: the bytes
// go to a fresh file in the same folder, which is renamed over the target only
// once they are all written.

#include <cstddef>
#include <cstdint>
#include <string>

namespace plexo {

// False when any step fails; the temporary file is then removed and an older
// file of that name stays as it was.
bool ReplaceFileWith(const std::string& path, const uint8_t* data, size_t size);

}  // namespace plexo
