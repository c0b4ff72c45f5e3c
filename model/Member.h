#pragma once

#include <string>
#include <string_view>
#include <utility>

// One row of t_member in memory. Setters store what they are given and derive nothing.
class TMember {
 public:
  int GetMemberId() const { return FMemberId; }
  void SetMemberId(int value) { FMemberId = value; }
  int GetProjectId() const { return FProjectId; }
  void SetProjectId(int value) { FProjectId = value; }
  int GetClassId() const { return FClassId; }
  void SetClassId(int value) { FClassId = value; }
  const std::string& GetMemberName() const { return FMemberName; }
  void SetMemberName(std::string value) { FMemberName = std::move(value); }
  const std::string& GetMemberType() const { return FMemberType; }
  void SetMemberType(std::string value) { FMemberType = std::move(value); }
  int GetMemberLength() const { return FMemberLength; }
  void SetMemberLength(int value) { FMemberLength = value; }
  int GetMemberIsPri() const { return FMemberIsPri; }
  void SetMemberIsPri(int value) { FMemberIsPri = value; }
  const std::string& GetMemberComment() const { return FMemberComment; }
  void SetMemberComment(std::string value) { FMemberComment = std::move(value); }
  int GetMemberIsMust() const { return FMemberIsMust; }
  void SetMemberIsMust(int value) { FMemberIsMust = value; }
  int GetMemberIsInteger() const { return FMemberIsInteger; }
  void SetMemberIsInteger(int value) { FMemberIsInteger = value; }
  int GetMemberIsFloat() const { return FMemberIsFloat; }
  void SetMemberIsFloat(int value) { FMemberIsFloat = value; }
  int GetQueryFlag() const { return FQueryFlag; }
  void SetQueryFlag(int value) { FQueryFlag = value; }
  int GetMemberIsDisplay() const { return FMemberIsDisplay; }
  void SetMemberIsDisplay(int value) { FMemberIsDisplay = value; }
  // A new member counts as shown on the query page until something clears it.
  int GetMemberQueryDisplay() const { return FMemberQueryDisplay; }
  void SetMemberQueryDisplay(int value) { FMemberQueryDisplay = value; }

 private:
  int FMemberId = 0;
  int FProjectId = 0;
  int FClassId = 0;
  std::string FMemberName;
  std::string FMemberType;
  int FMemberLength = 0;
  int FMemberIsPri = 0;
  std::string FMemberComment;
  int FMemberIsMust = 0;
  int FMemberIsInteger = 0;
  int FMemberIsFloat = 0;
  int FQueryFlag = 0;
  int FMemberIsDisplay = 0;
  int FMemberQueryDisplay = 1;
};

// The five built-in member types, in the order the member dialogs offer them.
// Any other type is the name of a class of the same project (a reference).
namespace MemberTypes {
inline const char* const kString = "字符串";
inline const char* const kInteger = "整型";
inline const char* const kFloat = "浮点型";
inline const char* const kDate = "日期型";
inline const char* const kPicture = "图片型";
// Compared as views: a length that differs, as most class names' does, settles each without reading the text.
inline bool IsBuiltIn(const std::string& type) {
  const std::string_view view(type);
  return view == kString || view == kInteger || view == kFloat || view == kDate || view == kPicture;
}
}  // namespace MemberTypes
