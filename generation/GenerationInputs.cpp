#include "generation/GenerationInputs.h"

#include <elf.h>
#include <link.h>
#include <sys/stat.h>

#include <cstring>
#include <string_view>

#include "text/Sha256.h"

namespace {

// Numbers as LEB128 (zig-zag for a sign), texts with their length first: no two different sequences of
// values give the same bytes, and the bytes stay few, for the digest's sake.
constexpr std::size_t kNumberBytes = 10;  // the most a 64-bit number takes

char* Put(long long value, char* at) {
  auto bits = (static_cast<unsigned long long>(value) << 1) ^ static_cast<unsigned long long>(value >> 63);
  while (bits > 0x7F) {
    *at++ = static_cast<char>((bits & 0x7F) | 0x80);
    bits >>= 7;
  }
  *at++ = static_cast<char>(bits);
  return at;
}

char* Put(const std::string& value, char* at) {
  at = Put(static_cast<long long>(value.size()), at);
  std::memcpy(at, value.data(), value.size());
  return at + value.size();
}

// A member's type: a built-in one as a negative number, its place among the five (no text's length is
// negative), a class's name as text. Each type takes one byte then instead of nine, and the digest reads
// a fifth less of a usual class.
struct TMemberType {
  const std::string& name;
};

char* Put(const TMemberType& type, char* at) {
  if (MemberTypes::IsBuiltIn(type.name)) {
    const char* const kBuiltIn[] = {MemberTypes::kString, MemberTypes::kInteger, MemberTypes::kFloat,
                                    MemberTypes::kDate, MemberTypes::kPicture};
    for (long long i = 0; i < 5; ++i)
      if (std::string_view(type.name) == kBuiltIn[i]) return Put(-1 - i, at);
  }
  return Put(type.name, at);
}

// The most bytes a value takes.
std::size_t Most(long long) {
  return kNumberBytes;
}

std::size_t Most(const std::string& value) {
  return kNumberBytes + value.size();
}

std::size_t Most(const TMemberType& type) {
  return Most(type.name);
}

// Appends the values to out: room for the most they can take first, then written in place, which costs a
// fraction of appending byte by byte.
template <typename... Values>
void Put(std::string& out, const Values&... values) {
  const std::size_t size = out.size();
  out.resize(size + (Most(values) + ...));
  char* at = &out[size];
  ((at = Put(values, at)), ...);
  out.resize(static_cast<std::size_t>(at - out.data()));
}

// The member's seven flags (key, must, integer, float, query flag, display, shown on the query page) go as
// one negative number, a bit each, when all are 0 or 1, as they usually are; otherwise as 0 and then each
// of them. A member takes 6 bytes less that way and the two forms never read alike.
struct TFlags {
  int values[7];
};

char* Put(const TFlags& flags, char* at) {
  long long bits = 0;
  bool packed = true;
  for (int i = 0; i < 7; ++i) {
    if (flags.values[i] != 0 && flags.values[i] != 1) packed = false;
    bits |= static_cast<long long>(flags.values[i] & 1) << i;
  }
  if (packed) return Put(-1 - bits, at);
  at = Put(0LL, at);
  for (const int value : flags.values) at = Put(static_cast<long long>(value), at);
  return at;
}

std::size_t Most(const TFlags&) {
  return 8 * kNumberBytes;
}

void PutMember(const TMember& m, std::string& out) {
  Put(out, m.GetMemberName(), TMemberType{m.GetMemberType()}, static_cast<long long>(m.GetMemberLength()),
      m.GetMemberComment(),
      TFlags{{m.GetMemberIsPri(), m.GetMemberIsMust(), m.GetMemberIsInteger(), m.GetMemberIsFloat(), m.GetQueryFlag(),
              m.GetMemberIsDisplay(), m.GetMemberQueryDisplay()}});
}

void PutClassRow(const TClassModel& entry, std::string& out) {
  Put(out, entry.className, entry.friendName);
}

// The build id note of the main executable, as hexadecimal digits; empty when it has none.
int FindBuildId(struct dl_phdr_info* info, std::size_t, void* data) {
  auto* id = static_cast<std::string*>(data);
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& header = info->dlpi_phdr[i];
    if (header.p_type != PT_NOTE) continue;
    const char* note = reinterpret_cast<const char*>(info->dlpi_addr + header.p_vaddr);
    const char* end = note + header.p_memsz;
    while (note + sizeof(ElfW(Nhdr)) <= end) {
      const auto* head = reinterpret_cast<const ElfW(Nhdr)*>(note);
      const char* name = note + sizeof(ElfW(Nhdr));
      const char* desc = name + ((head->n_namesz + 3) & ~3u);
      if (head->n_type == NT_GNU_BUILD_ID && head->n_namesz == 4 && std::memcmp(name, "GNU", 4) == 0 &&
          desc + head->n_descsz <= end) {
        *id = Sha256::Hex(std::string(desc, head->n_descsz));
        return 1;
      }
      note = desc + ((head->n_descsz + 3) & ~3u);
    }
  }
  return 1;  // the first object is the executable: no need to look further
}

}  // namespace

namespace GenerationInputs {

std::string ProgramBuild() {
  static const std::string build = [] {
    std::string id;
    dl_iterate_phdr(FindBuildId, &id);
    if (!id.empty()) return "build-id " + id;
    struct stat info {};
    if (::stat("/proc/self/exe", &info) != 0) return std::string("unknown build");
    return "executable " + std::to_string(info.st_size) + " " + std::to_string(info.st_mtim.tv_sec) + "." +
           std::to_string(info.st_mtim.tv_nsec) + " " + std::to_string(info.st_ctim.tv_sec) + "." +
           std::to_string(info.st_ctim.tv_nsec) + " " + std::to_string(info.st_ino);
  }();
  return build;
}

std::string Shared(const std::string& templates, const std::string& projectName, const std::string& nameSpace) {
  std::string bytes;
  Put(bytes, ProgramBuild(), templates, projectName, nameSpace);
  return Sha256::HexDigest(bytes);
}

std::string OfProject(const std::string& projectName, const std::vector<std::string>& classInputs) {
  std::string bytes;
  Put(bytes, ProgramBuild(), projectName, static_cast<long long>(classInputs.size()));
  for (const std::string& inputs : classInputs) Put(bytes, inputs);
  return Sha256::HexDigest(bytes);
}

std::string OfClass(const TClassModel& entry, const TClassIndex& classes) {
  std::string bytes;
  bytes.reserve(64 * entry.members.size() + 64);
  PutClassRow(entry, bytes);
  Put(bytes, static_cast<long long>(entry.members.size()));
  for (const TMember& member : entry.members) PutMember(member, bytes);
  for (const TMember& member : entry.members) {
    if (MemberTypes::IsBuiltIn(member.GetMemberType())) continue;
    const TClassModel* referenced = classes.Find(member.GetMemberType());
    if (referenced == nullptr) {
      Put(bytes, 0LL);  // no class
      continue;
    }
    Put(bytes, 1LL);  // a class
    PutClassRow(*referenced, bytes);
    // How many key and display members it has, then each (the first of each is what the view model reads).
    const auto keyOrDisplay = [](const TMember& other) {
      return other.GetMemberIsPri() == 1 || other.GetMemberIsDisplay() == 1;
    };
    long long count = 0;
    for (const TMember& other : referenced->members) count += keyOrDisplay(other) ? 1 : 0;
    Put(bytes, count);
    for (const TMember& other : referenced->members)
      if (keyOrDisplay(other)) PutMember(other, bytes);
  }
  return Sha256::Digest(bytes);
}

}  // namespace GenerationInputs
