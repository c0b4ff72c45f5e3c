// The project file from raw bytes: the JSON reader, the field checks and the project checker. Every
// problem is printable; a file without problems exports and reads back without problems.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "transfer/json/ModelJson.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const TModelJsonResult result = TModelJson().Import(text);
  for (const std::string& problem : result.problems) RequirePrintable(problem, "a problem");
  if (result.problems.empty()) {
    const TModelJsonResult again = TModelJson().Import(TModelJson().Export(result.project));
    FUZZ_REQUIRE(again.problems.empty(), "%s", again.problems.front().c_str());
  }
  return 0;
}
