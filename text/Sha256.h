#pragma once

#include <string>

namespace Sha256 {

// The SHA-256 digest of the bytes as 64 lower-case hexadecimal digits.
std::string HexDigest(const std::string& bytes);

}  // namespace Sha256
