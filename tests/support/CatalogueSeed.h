#pragma once

#include <functional>
#include <string>

#include "model/Member.h"

// A member record of a class with its name and type; every other field at its default.
inline TMember NewMember(int projectId, int classId, const std::string& name, const std::string& type) {
  TMember member;
  member.SetProjectId(projectId);
  member.SetClassId(classId);
  member.SetMemberName(name);
  member.SetMemberType(type);
  return member;
}

// The message of the TError the action raises; empty when it raises none.
template <typename TError>
std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const TError& error) {
    return error.what();
  }
  return "";
}
