#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace Sha256 {

// A SHA-256 digest's 32 bytes, held without an allocation (a site's record keeps thousands).
using TDigest = std::array<unsigned char, 32>;

// The SHA-256 digest of the bytes.
TDigest Of(const std::string& bytes);

// The digest of bytes handed over in parts: the same as Of of the parts joined, without joining them.
class THasher {
 public:
  THasher();
  void Add(std::string_view bytes);
  TDigest Finish();

 private:
  // The library's context, held in place so that neither its header nor an allocation comes with this one.
  alignas(8) unsigned char FContext[112];
};

// The SHA-256 digest of the bytes as 64 lower-case hexadecimal digits.
std::string HexDigest(const std::string& bytes);

// The same digest as its 32 bytes.
std::string Digest(const std::string& bytes);

// 64 lower-case hexadecimal digits of 32 bytes.
std::string Hex(const std::string& digest);

// Appends two lower-case hexadecimal digits for each of the bytes to text.
void AppendHex(const unsigned char* bytes, std::size_t count, std::string& text);

}  // namespace Sha256
