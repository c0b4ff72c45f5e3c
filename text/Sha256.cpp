#include "text/Sha256.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace Sha256 {

std::string Digest(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1)
    throw std::runtime_error("SHA-256 digest failed");
  return std::string(reinterpret_cast<const char*>(digest), length);
}

std::string Hex(const std::string& digest) {
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(2 * digest.size());
  for (const char c : digest) {
    const auto byte = static_cast<unsigned char>(c);
    hex += kHex[byte >> 4];
    hex += kHex[byte & 15];
  }
  return hex;
}

std::string HexDigest(const std::string& bytes) {
  return Hex(Digest(bytes));
}

}  // namespace Sha256
