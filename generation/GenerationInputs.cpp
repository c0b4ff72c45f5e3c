#include "generation/GenerationInputs.h"

#include <elf.h>
#include <link.h>
#include <sys/stat.h>

#include <cstring>

#include "text/Sha256.h"

namespace {

// Numbers as LEB128 (zig-zag for a sign), texts with their length first: no two different sequences of
// values give the same bytes, and the bytes stay few, for the digest's sake.
void Put(long long value, std::string& out) {
  auto bits = (static_cast<unsigned long long>(value) << 1) ^ static_cast<unsigned long long>(value >> 63);
  while (bits > 0x7F) {
    out.push_back(static_cast<char>((bits & 0x7F) | 0x80));
    bits >>= 7;
  }
  out.push_back(static_cast<char>(bits));
}

void Put(const std::string& value, std::string& out) {
  Put(static_cast<long long>(value.size()), out);
  out += value;
}

void PutMember(const TMember& m, std::string& out) {
  Put(m.GetMemberName(), out);
  Put(m.GetMemberType(), out);
  Put(m.GetMemberLength(), out);
  Put(m.GetMemberIsPri(), out);
  Put(m.GetMemberComment(), out);
  Put(m.GetMemberIsMust(), out);
  Put(m.GetMemberIsInteger(), out);
  Put(m.GetMemberIsFloat(), out);
  Put(m.GetQueryFlag(), out);
  Put(m.GetMemberIsDisplay(), out);
  Put(m.GetMemberQueryDisplay(), out);
}

void PutClassRow(const TClassModel& entry, std::string& out) {
  Put(entry.className, out);
  Put(entry.friendName, out);
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
  Put(ProgramBuild(), bytes);
  Put(templates, bytes);
  Put(projectName, bytes);
  Put(nameSpace, bytes);
  return Sha256::HexDigest(bytes);
}

std::string OfProject(const std::string& projectName, const std::vector<std::string>& classInputs) {
  std::string bytes;
  Put(ProgramBuild(), bytes);
  Put(projectName, bytes);
  Put(static_cast<long long>(classInputs.size()), bytes);
  for (const std::string& inputs : classInputs) Put(inputs, bytes);
  return Sha256::HexDigest(bytes);
}

std::string OfClass(const TClassModel& entry, const TClassIndex& classes) {
  std::string bytes;
  bytes.reserve(64 * entry.members.size() + 64);
  PutClassRow(entry, bytes);
  Put(static_cast<long long>(entry.members.size()), bytes);
  for (const TMember& member : entry.members) PutMember(member, bytes);
  for (const TMember& member : entry.members) {
    if (MemberTypes::IsBuiltIn(member.GetMemberType())) continue;
    const TClassModel* referenced = classes.Find(member.GetMemberType());
    if (referenced == nullptr) {
      Put(0, bytes);  // no class
      continue;
    }
    Put(1, bytes);  // a class
    PutClassRow(*referenced, bytes);
    // How many key and display members it has, then each (the first of each is what the view model reads).
    const auto keyOrDisplay = [](const TMember& other) {
      return other.GetMemberIsPri() == 1 || other.GetMemberIsDisplay() == 1;
    };
    long long count = 0;
    for (const TMember& other : referenced->members) count += keyOrDisplay(other) ? 1 : 0;
    Put(count, bytes);
    for (const TMember& other : referenced->members)
      if (keyOrDisplay(other)) PutMember(other, bytes);
  }
  return Sha256::Digest(bytes);
}

}  // namespace GenerationInputs
