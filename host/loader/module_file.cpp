// The check of a module file before dlopen (see module_file.h).
#include "loader/module_file.h"

#include <elf.h>
#include <link.h>

#include <cstring>
#include <fstream>
#include <vector>

namespace sim {
namespace {

constexpr unsigned char kOwnClass = sizeof(void *) == 8 ? ELFCLASS64 : ELFCLASS32;
constexpr unsigned char kOwnData =
    __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? ELFDATA2LSB : ELFDATA2MSB;

// Whether [offset, offset + length) lies within a file of `fileSize` bytes (without overflow).
bool fits(unsigned long long offset, unsigned long long length, unsigned long long fileSize) {
  return offset <= fileSize && length <= fileSize - offset;
}

// The same for a table of `count` entries of `size` bytes.
bool within(unsigned long long offset, unsigned long long count, unsigned long long size,
            unsigned long long fileSize) {
  return offset <= fileSize && (count == 0 || (size > 0 && count <= (fileSize - offset) / size));
}

}  // namespace

std::string moduleFileProblem(const std::filesystem::path &file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return "not a regular file";
  unsigned long long size = std::filesystem::file_size(file, ec);
  if (ec) return "cannot read its size";
  std::ifstream in(file, std::ios::binary);
  ElfW(Ehdr) eh{};
  if (!in || size < sizeof eh || !in.read(reinterpret_cast<char *>(&eh), sizeof eh))
    return "too short for a shared library (" + std::to_string(size) + " bytes)";
  if (std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0) return "not an ELF shared library";
  if (eh.e_ident[EI_CLASS] != kOwnClass || eh.e_ident[EI_DATA] != kOwnData)
    return "an ELF file of another word size or byte order";
  if (eh.e_type != ET_DYN) return "an ELF file, but not a shared library";
  if (eh.e_phentsize != sizeof(ElfW(Phdr)) || !within(eh.e_phoff, eh.e_phnum, eh.e_phentsize, size))
    return "truncated or damaged: its program headers lie beyond its " + std::to_string(size) +
           " bytes";
  if (eh.e_shoff != 0 && !within(eh.e_shoff, eh.e_shnum, eh.e_shentsize, size))
    return "truncated: its section headers lie beyond its " + std::to_string(size) + " bytes";
  std::vector<ElfW(Phdr)> ph(eh.e_phnum);
  in.seekg(static_cast<std::streamoff>(eh.e_phoff));
  if (!in.read(reinterpret_cast<char *>(ph.data()),
               static_cast<std::streamsize>(ph.size() * sizeof(ElfW(Phdr)))))
    return "cannot read its program headers";
  for (const ElfW(Phdr) & p : ph)
    if ((p.p_type == PT_LOAD || p.p_type == PT_DYNAMIC) && !fits(p.p_offset, p.p_filesz, size))
      return "truncated: a segment lies beyond its " + std::to_string(size) + " bytes";
  return "";
}

}  // namespace sim
