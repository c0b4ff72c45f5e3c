#include "text/Sha256.h"

// The digest goes through OpenSSL's SHA-256 functions of their own, which version 3 keeps but marks as
// deprecated in favour of its EVP interface. That interface starts OpenSSL's providers before the first
// digest (some five million instructions, a run's worth of reading its record) and costs a thousand more
// for each digest; these functions run the same processor-specific code without either.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/sha.h>

#include <new>

namespace Sha256 {

static_assert(SHA256_DIGEST_LENGTH == std::tuple_size<TDigest>::value, "a digest is 32 bytes");
static_assert(sizeof(SHA256_CTX) <= 112 && alignof(SHA256_CTX) <= 8, "THasher holds OpenSSL's context");

namespace {
SHA256_CTX* ContextIn(unsigned char* storage) {
  return std::launder(reinterpret_cast<SHA256_CTX*>(storage));
}
}  // namespace

THasher::THasher() {
  SHA256_Init(new (FContext) SHA256_CTX);
}

void THasher::Add(std::string_view bytes) {
  SHA256_Update(ContextIn(FContext), bytes.data(), bytes.size());
}

TDigest THasher::Finish() {
  TDigest digest;
  SHA256_Final(digest.data(), ContextIn(FContext));
  return digest;
}

TDigest Of(const std::string& bytes) {
  THasher hasher;
  hasher.Add(bytes);
  return hasher.Finish();
}

std::string Digest(const std::string& bytes) {
  const TDigest digest = Of(bytes);
  return std::string(reinterpret_cast<const char*>(digest.data()), digest.size());
}

void AppendHex(const unsigned char* bytes, std::size_t count, std::string& text) {
  static const char kHex[] = "0123456789abcdef";
  for (std::size_t i = 0; i < count; ++i) {
    text += kHex[bytes[i] >> 4];
    text += kHex[bytes[i] & 15];
  }
}

std::string Hex(const std::string& digest) {
  std::string hex;
  hex.reserve(2 * digest.size());
  AppendHex(reinterpret_cast<const unsigned char*>(digest.data()), digest.size(), hex);
  return hex;
}

std::string HexDigest(const std::string& bytes) {
  return Hex(Digest(bytes));
}

}  // namespace Sha256
