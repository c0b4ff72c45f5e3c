#pragma once

#include <string>

namespace Sha256 {

// The SHA-256 digest of the bytes as 64 lower-case hexadecimal digits.
std::string HexDigest(const std::string& bytes);

// The same digest as its 32 bytes.
std::string Digest(const std::string& bytes);

// 64 lower-case hexadecimal digits of 32 bytes.
std::string Hex(const std::string& digest);

}  // namespace Sha256
