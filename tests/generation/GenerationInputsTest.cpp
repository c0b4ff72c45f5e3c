// The digest of a class's inputs decides whether a run may keep the class's files without making their
// text: any change to what the text is made from must change it, and its bytes stay those records hold.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "generation/GenerationInputs.h"
#include "model/ClassIndex.h"
#include "text/Sha256.h"

namespace {

TMember Member(const std::string& name, const std::string& type, int length, int key, int display,
               const std::string& comment) {
  TMember m;
  m.SetMemberName(name);
  m.SetMemberType(type);
  m.SetMemberLength(length);
  m.SetMemberIsPri(key);
  m.SetMemberComment(comment);
  m.SetMemberIsMust(1);
  m.SetMemberIsInteger(type == MemberTypes::kInteger);
  m.SetMemberIsFloat(0);
  m.SetQueryFlag(0);
  m.SetMemberIsDisplay(display);
  m.SetMemberQueryDisplay(1);
  return m;
}

// Goods refers to Kind (named in another case) and to a class that does not exist; its numbers take one to
// five bytes, one negative, and a comment longer than one length byte holds; one member has a flag that
// is neither 0 nor 1.
TProjectModel Sample() {
  TProjectModel project;
  project.projectName = "Shop";
  TClassModel goods;
  goods.classId = 1;
  goods.className = "Goods";
  goods.friendName = "商品";
  goods.members = {Member("id", MemberTypes::kInteger, 0, 1, 0, "编号"),
                   Member("name", MemberTypes::kString, 300, 0, 1, std::string(200, 'x')),
                   Member("kind", "kind", -5, 0, 0, "类别"), Member("lost", "Nowhere", 2147483647, 0, 0, "")};
  goods.members[3].SetQueryFlag(-70000);
  TClassModel kind;
  kind.classId = 2;
  kind.className = "Kind";
  kind.friendName = "类别";
  kind.members = {Member("kid", MemberTypes::kInteger, 0, 1, 0, "编号"),
                  Member("label", MemberTypes::kString, 20, 0, 1, "名称"),
                  Member("note", MemberTypes::kString, 20, 0, 0, "备注")};
  project.classes = {goods, kind};
  return project;
}

std::string InputsOfGoods(const TProjectModel& project) {
  return Sha256::Hex(GenerationInputs::OfClass(project.classes[0], TClassIndex(project)));
}

TEST(GenerationInputsTest, EveryChangeToWhatTheTextIsMadeFromChangesTheDigest) {
  // The bytes are pinned: changing them changes the inputs of every file on record, which must be meant.
  const std::string before = InputsOfGoods(Sample());
  EXPECT_EQ(before, "786c4fea5de1c6ee8b6fadb995ec201a8be599e7e2d89e05bf09b679921fe620");

  const std::vector<std::pair<const char*, std::function<void(TProjectModel&)>>> changes = {
      {"class name", [](TProjectModel& p) { p.classes[0].className = "Goodz"; }},
      {"friend name", [](TProjectModel& p) { p.classes[0].friendName = "货品"; }},
      {"a byte moved between two texts",
       [](TProjectModel& p) {
         p.classes[0].className = "Good";
         p.classes[0].friendName = "s商品";
       }},
      {"member name", [](TProjectModel& p) { p.classes[0].members[0].SetMemberName("ID"); }},
      {"member type", [](TProjectModel& p) { p.classes[0].members[1].SetMemberType(MemberTypes::kDate); }},
      {"built-in type to a class's name",
       [](TProjectModel& p) { p.classes[0].members[0].SetMemberType(std::string(MemberTypes::kInteger) + " "); }},
      {"length", [](TProjectModel& p) { p.classes[0].members[1].SetMemberLength(301); }},
      {"negative length", [](TProjectModel& p) { p.classes[0].members[2].SetMemberLength(5); }},
      {"largest length", [](TProjectModel& p) { p.classes[0].members[3].SetMemberLength(-2147483647 - 1); }},
      {"key", [](TProjectModel& p) { p.classes[0].members[0].SetMemberIsPri(0); }},
      {"long comment", [](TProjectModel& p) { p.classes[0].members[1].SetMemberComment(std::string(201, 'x')); }},
      {"must", [](TProjectModel& p) { p.classes[0].members[0].SetMemberIsMust(0); }},
      {"integer", [](TProjectModel& p) { p.classes[0].members[0].SetMemberIsInteger(0); }},
      {"float", [](TProjectModel& p) { p.classes[0].members[1].SetMemberIsFloat(1); }},
      {"query flag", [](TProjectModel& p) { p.classes[0].members[1].SetQueryFlag(1); }},
      {"query flag out of the usual", [](TProjectModel& p) { p.classes[0].members[3].SetQueryFlag(-70001); }},
      {"flag beyond 0 and 1", [](TProjectModel& p) { p.classes[0].members[1].SetMemberIsFloat(3); }},
      {"flags of the usual and not",
       [](TProjectModel& p) {
         p.classes[0].members[3].SetQueryFlag(0);
         p.classes[0].members[2].SetQueryFlag(-70000);
       }},
      {"display", [](TProjectModel& p) { p.classes[0].members[1].SetMemberIsDisplay(0); }},
      {"query display", [](TProjectModel& p) { p.classes[0].members[3].SetMemberQueryDisplay(0); }},
      {"member order", [](TProjectModel& p) { std::swap(p.classes[0].members[0], p.classes[0].members[1]); }},
      {"member removed", [](TProjectModel& p) { p.classes[0].members.pop_back(); }},
      {"referenced class's name", [](TProjectModel& p) { p.classes[1].friendName = "种类"; }},
      {"referenced key member", [](TProjectModel& p) { p.classes[1].members[0].SetMemberName("kindId"); }},
      {"referenced display member", [](TProjectModel& p) { p.classes[1].members[1].SetMemberLength(30); }},
      {"missing class made", [](TProjectModel& p) { p.classes[1].className = "Nowhere"; }},
  };
  for (const auto& [what, change] : changes) {
    TProjectModel project = Sample();
    change(project);
    EXPECT_NE(InputsOfGoods(project), before) << what;
  }

  // What the text is not made from leaves it alone: another member of the referenced class, ids.
  TProjectModel same = Sample();
  same.classes[1].members[2].SetMemberComment("说明");
  same.classes[0].members[0].SetMemberId(99);
  EXPECT_EQ(InputsOfGoods(same), before);
}

TEST(GenerationInputsTest, DigestsAreSha256InEveryThread) {
  const std::vector<std::pair<std::string, std::string>> known = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
  };
  const auto check = [&known] {
    for (const auto& [text, digest] : known) EXPECT_EQ(Sha256::HexDigest(text), digest) << text;
  };
  check();
  std::thread other(check);
  other.join();
  check();
}

TEST(GenerationInputsTest, ADigestMadeInPartsIsTheDigestOfTheWhole) {
  // A million "a"s (the standard's long test), handed over in parts that end before, at and after the
  // 64-byte blocks the hash works in, and in one piece.
  const std::string millionAs(1000000, 'a');
  const std::string expected = "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0";
  for (const std::size_t partSize : {std::size_t{1}, std::size_t{55}, std::size_t{63}, std::size_t{64}, std::size_t{65},
                                     std::size_t{4096}, millionAs.size()}) {
    Sha256::THasher hasher;
    for (std::size_t at = 0; at < millionAs.size(); at += partSize)
      hasher.Add(std::string_view(millionAs).substr(at, partSize));
    const Sha256::TDigest digest = hasher.Finish();
    EXPECT_EQ(Sha256::Hex(std::string(digest.begin(), digest.end())), expected) << partSize;
  }
  EXPECT_EQ(Sha256::HexDigest(millionAs), expected);
}

}  // namespace
