// The site manifest from raw bytes: a text is a manifest exactly or not at all, read whole or a part at a time
// as it comes from its file, and a manifest that was read writes back to a text that reads as the same
// manifest.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "site/SiteManifest.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TSiteManifest manifest;
  std::string error;
  const bool read = TSiteManifest::Parse(text, manifest, error);

  // In parts of a size the input picks: the same answer, the same message, the same manifest.
  TSiteManifest inParts;
  TSiteManifest::TReader reader(inParts);
  const std::size_t part = size == 0 ? 1 : 1 + data[0] % 97;
  for (std::size_t at = 0; at < size; at += part) reader.Feed(std::string_view(text).substr(at, part));
  FUZZ_REQUIRE(reader.Finish() == read && reader.Error() == error, "in parts: %s", reader.Error().c_str());
  FUZZ_REQUIRE(!read || (inParts.files == manifest.files && inParts.projectName == manifest.projectName &&
                         inParts.inputs == manifest.inputs && inParts.checked == manifest.checked &&
                         inParts.catalogue == manifest.catalogue),
               "in parts: another manifest");
  if (!read) return 0;

  TSiteManifest again;
  FUZZ_REQUIRE(TSiteManifest::Parse(manifest.Text(), again, error), "%s", error.c_str());
  FUZZ_REQUIRE(again.projectName == manifest.projectName && again.files == manifest.files &&
                   again.inputs == manifest.inputs && again.checked == manifest.checked &&
                   again.catalogue == manifest.catalogue,
               "round trip");
  return 0;
}
