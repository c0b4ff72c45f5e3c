#pragma once

#include <string>
#include <vector>

#include "model/Member.h"
#include "generation/LayerCommon.h"

// Writes the data-access class of every class of a project: App_Code/DAL/dal<Class>.cs,
// six static methods in namespace DAL over the template site's DBHelp.
//
// The object holds the class in hand; LoadClass sets it, then each Make* method
// returns the text of one generated method, ending in a blank line.
class TDALOperate {
 public:
  // Handles the project's classes in catalogue order and reports one progress line per written file.
  // nameSpace is accepted for the run's sake and used nowhere: the namespace is DAL.
  // A class whose text cannot be built (TGenerationError) gets no file; the error ends
  // the call, and the files of earlier classes stay.
  void MakeDALFile(const std::string& nameSpace, const TProjectModel& project, TSiteWriter& site,
                   const TProgressCallback& progress);

  // Takes up one class of the project: its name, friendly name and key member; classes
  // resolves its class-typed members. Both must outlive the Make* calls that follow.
  // Reads nothing from the catalogue. TGenerationError when the class has no key member.
  void LoadClass(const TClassModel& entry, const TClassIndex& classes);
  // The whole text of the loaded class's file (UTF-8, CR LF line ends).
  std::string DALText() const;

  std::string MakeAdd() const;
  std::string MakeGetSome() const;
  std::string MakeEdit() const;
  std::string MakeDel() const;
  std::string MakeGetPaged() const;
  std::string MakeGetAll() const;

 private:
  // The loaded class's members in catalogue order: all of them, or those that are not the key.
  std::vector<const TMember*> Members(bool all) const;
  TValueKind KindOf(const TMember& member) const;
  bool HasIntegerKey() const { return FKeyMember->GetMemberIsInteger() == 1; }
  const std::string& KeyName() const { return FKeyMember->GetMemberName(); }

  std::string FFriendName;
  std::string FClassName;
  std::string FObjectName;
  const TMember* FKeyMember = nullptr;
  const TClassModel* FClass = nullptr;
  const TClassIndex* FClasses = nullptr;
};
