#pragma once

#include <string>
#include <vector>

// One entry of a project or class list: the name and the database id it belongs to.
struct TNameId {
  std::string name;
  int id = 0;
};

// Names with their ids, in the order the database returned the rows.
using TNameIdList = std::vector<TNameId>;
