#pragma once

#include <memory>
#include <string>
#include <vector>

#include "catalogue/Member.h"
#include "catalogue/MemberDAO.h"
#include "catalogue/NameId.h"
#include "generation/LayerCommon.h"

// Writes the data-access class of every class of a project: App_Code/DAL/dal<Class>.cs,
// six static methods in namespace DAL over the template site's DBHelp.
//
// The object holds the class in hand; LoadClass sets it, then each Make* method
// returns the text of one generated method, ending in a blank line.
class TDALOperate {
 public:
  // Handles the classes in list order and reports one progress line per written file.
  // nameSpace is accepted for the run's sake and used nowhere: the namespace is DAL.
  // A class whose text cannot be built (TGenerationError) gets no file; the error ends
  // the call, and the files of earlier classes stay.
  void MakeDALFile(const std::string& nameSpace, const TNameIdList& classes, const TGenerationTarget& target,
                   const TProgressCallback& progress);

  // Takes up one class of the project: its name, friendly name and key member.
  // TGenerationError when the class has no key member.
  void LoadClass(int projectId, int classId, const std::string& className);
  // The whole text of the loaded class's file (UTF-8, CR LF line ends).
  std::string DALText();

  std::string MakeAdd();
  std::string MakeGetSome();
  std::string MakeEdit();
  std::string MakeDel() const;
  std::string MakeGetPaged() const;
  std::string MakeGetAll() const;

 private:
  // The columns of one member row the generated methods need.
  struct TMemberRow {
    std::string name;
    std::string type;
    std::string comment;
  };
  static std::vector<TMemberRow> ReadRows(TDbQuery& query);
  TValueKind KindOf(const TMemberRow& row) const;
  bool HasIntegerKey() const { return FKeyMember->GetMemberIsInteger() == 1; }
  const std::string& KeyName() const { return FKeyMember->GetMemberName(); }

  std::string FFriendName;
  std::string FClassName;
  std::string FObjectName;
  std::unique_ptr<TMember> FKeyMember;
  TMemberDAO FMemberDAO;
  int FClassId = 0;
  int FProjectId = 0;
};
