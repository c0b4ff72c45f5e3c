#pragma once

#include <string>

#include "catalogue/NameId.h"

// A small project "Shop" in the current catalogue that touches every rule of the layer
// generators, in this class order:
//   Category      integer key id (first), name
//   PublishHouse  text key code between name and founded (日期型)
//   Book          members of every type, the integer key id second, an empty comment
//                 (cover, 图片型), a reference to Category (integer key) and one to
//                 PublishHouse (text key)
//   tag           a name that does not begin with A to Z, no friendly name, only its key
struct TShopProject {
  int projectId = 0;
  TNameIdList classes;
};

TShopProject MakeShopProject();

// The Shop project with its key members as the display members: it passes every check.
TShopProject MakeGeneratableShopProject();

// Adds a member; the integer flag follows the type as the member dialogs set it.
void AddShopMember(int projectId, int classId, const std::string& name, const std::string& type, bool isKey,
                   const std::string& comment);
