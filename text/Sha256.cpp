#include "text/Sha256.h"

// The digest goes through Nettle's SHA-256, which runs the processor's SHA instructions where it has them.
// Nettle is a small library: loading it costs a process a few hundred relocations, where OpenSSL's libcrypto
// cost some four thousand (a quarter of a run after no change went into linking it), and nothing is started
// before the first digest.
#include <nettle/sha2.h>

#include <cstdint>
#include <new>

namespace Sha256 {

static_assert(SHA256_DIGEST_SIZE == std::tuple_size<TDigest>::value, "a digest is 32 bytes");
static_assert(sizeof(sha256_ctx) <= sizeof(THasher) && alignof(sha256_ctx) <= alignof(THasher),
              "THasher holds Nettle's context");

namespace {
sha256_ctx* ContextIn(unsigned char* storage) {
  return std::launder(reinterpret_cast<sha256_ctx*>(storage));
}
}  // namespace

THasher::THasher() {
  sha256_init(new (FContext) sha256_ctx);
}

void THasher::Add(std::string_view bytes) {
  sha256_update(ContextIn(FContext), bytes.size(), reinterpret_cast<const std::uint8_t*>(bytes.data()));
}

TDigest THasher::Finish() {
  TDigest digest;
  sha256_digest(ContextIn(FContext), digest.size(), digest.data());
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
