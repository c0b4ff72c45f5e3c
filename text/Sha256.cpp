#include "text/Sha256.h"

#include <openssl/evp.h>

#include <memory>
#include <stdexcept>

namespace Sha256 {

namespace {

// The algorithm is looked up once and each thread keeps one context: looking it up by name, and making
// a context, for every digest costs more than the digest of a short text itself.
const EVP_MD* Algorithm() {
  static const std::unique_ptr<EVP_MD, decltype(&EVP_MD_free)> algorithm(EVP_MD_fetch(nullptr, "SHA256", nullptr),
                                                                         &EVP_MD_free);
  if (!algorithm) throw std::runtime_error("SHA-256 is not available");
  return algorithm.get();
}

EVP_MD_CTX* Context() {
  thread_local const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                                     &EVP_MD_CTX_free);
  if (!context) throw std::runtime_error("SHA-256 digest failed");
  return context.get();
}

}  // namespace

std::string Digest(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_MD_CTX* context = Context();
  if (EVP_DigestInit_ex2(context, Algorithm(), nullptr) != 1 ||
      EVP_DigestUpdate(context, bytes.data(), bytes.size()) != 1 || EVP_DigestFinal_ex(context, digest, &length) != 1)
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
