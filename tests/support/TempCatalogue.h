#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "catalogue/DbHelper.h"

// A fresh folder for one test, with the catalogue pointed at projects.mdb inside it.
// The file itself appears on the first catalogue operation.
class TTempCatalogue {
 public:
  TTempCatalogue() {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvanthel-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    FFolder = pattern;
    TDbHelper::SetCatalogueFile(File());
  }
  ~TTempCatalogue() {
    TDbHelper::SetCatalogueFile("projects.mdb");
    std::error_code ignored;
    std::filesystem::remove_all(FFolder, ignored);
  }
  TTempCatalogue(const TTempCatalogue&) = delete;
  TTempCatalogue& operator=(const TTempCatalogue&) = delete;

  const std::string& Folder() const { return FFolder; }
  std::string File() const { return FFolder + "/projects.mdb"; }

 private:
  std::string FFolder;
};
