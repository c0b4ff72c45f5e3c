// The T-SQL import from raw bytes: encoding detection, tokenizing, reading the tables and mapping them to
// a project. Bad bytes give TSqlScriptError and nothing else; every report line is printable.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "model/ProjectChecker.h"
#include "transfer/tsql/SqlImport.h"
#include "transfer/tsql/SqlTokenizer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  try {
    const TSqlImportResult result = ImportSqlScript(bytes, "Fuzz");
    for (const std::string& line : result.report) RequirePrintable(line, "a report line");
    for (const TProblem& problem : CheckProject(result.project)) RequirePrintable(problem.message, "a problem");
  } catch (const TSqlScriptError& error) {
    RequirePrintable(error.what(), "the script error");
  }
  return 0;
}
