// The site manifest from raw bytes: a text is a manifest exactly or not at all, and a manifest that was
// read writes back to a text that reads as the same manifest.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "site/SiteManifest.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TSiteManifest manifest;
  std::string error;
  if (!TSiteManifest::Parse(text, manifest, error)) return 0;
  TSiteManifest again;
  FUZZ_REQUIRE(TSiteManifest::Parse(manifest.Text(), again, error), "%s", error.c_str());
  FUZZ_REQUIRE(again.projectName == manifest.projectName && again.files == manifest.files &&
                   again.inputs == manifest.inputs && again.checked == manifest.checked &&
                   again.catalogue == manifest.catalogue,
               "round trip");
  return 0;
}
