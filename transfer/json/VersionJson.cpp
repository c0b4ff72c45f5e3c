#include "transfer/json/VersionJson.h"

namespace {
const TModelJsonFormat kVersionFormat = {TVersionJson::kFormatName, TVersionJson::kFormatVersion, true};
}  // namespace

std::string TVersionJson::Export(const TProjectModel& project) {
  return TModelJson().Export(project, kVersionFormat);
}

void TVersionJson::Export(const TProjectModel& project, const std::function<void(std::string_view)>& part) {
  TModelJson().Export(project, kVersionFormat, part);
}

TModelJsonResult TVersionJson::Import(const std::string& text) {
  return TModelJson().Import(text, kVersionFormat);
}

bool TVersionJson::IsVersion(const std::string& text) {
  return TModelJson::HasFormat(text, kFormatName);
}
