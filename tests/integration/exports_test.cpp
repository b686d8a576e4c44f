// The plug-in's dynamic symbol table names exactly the five entry points, read from the ELF file.
#include <elf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "support/host_fixture.h"

namespace velmor::testing {
namespace {

// The defined global symbols of .dynsym; throws on anything that is not a sound 64-bit ELF file.
std::set<std::string> DefinedDynamicSymbols(const std::string& path, std::set<std::string>* notFunctions) {
  std::string file = ReadFile(path);
  auto fail = [&](const char* why) -> std::set<std::string> { throw std::runtime_error(path + ": " + why); };
  auto at = [&](uint64_t offset, uint64_t size) -> const char* {
    if (offset > file.size() || size > file.size() - offset) fail("truncated");
    return file.data() + offset;
  };
  Elf64_Ehdr eh;
  std::memcpy(&eh, at(0, sizeof eh), sizeof eh);
  if (std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS64) fail("not ELF64");
  if (eh.e_shentsize != sizeof(Elf64_Shdr)) fail("odd section headers");
  auto section = [&](uint64_t i) {
    Elf64_Shdr sh;
    std::memcpy(&sh, at(eh.e_shoff + i * sizeof(Elf64_Shdr), sizeof sh), sizeof sh);
    return sh;
  };
  std::set<std::string> names;
  bool found = false;
  for (uint64_t i = 0; i < eh.e_shnum; ++i) {
    Elf64_Shdr sh = section(i);
    if (sh.sh_type != SHT_DYNSYM) continue;
    found = true;
    if (sh.sh_entsize != sizeof(Elf64_Sym) || sh.sh_link >= eh.e_shnum) fail("odd .dynsym");
    Elf64_Shdr strtab = section(sh.sh_link);
    const char* strings = at(strtab.sh_offset, strtab.sh_size);
    for (uint64_t k = 1; k < sh.sh_size / sizeof(Elf64_Sym); ++k) {
      Elf64_Sym sym;
      std::memcpy(&sym, at(sh.sh_offset + k * sizeof sym, sizeof sym), sizeof sym);
      int bind = ELF64_ST_BIND(sym.st_info);
      if (sym.st_shndx == SHN_UNDEF || (bind != STB_GLOBAL && bind != STB_WEAK && bind != STB_GNU_UNIQUE)) continue;
      if (sym.st_name >= strtab.sh_size) fail("bad symbol name");
      std::string name(strings + sym.st_name, strnlen(strings + sym.st_name, strtab.sh_size - sym.st_name));
      names.insert(name);
      if (ELF64_ST_TYPE(sym.st_info) != STT_FUNC && notFunctions) notFunctions->insert(name);
    }
  }
  if (!found) fail("no .dynsym");
  return names;
}

TEST(PluginExports, ExactlyTheFiveEntryPoints) {
  std::set<std::string> notFunctions;
  std::set<std::string> names = DefinedDynamicSymbols(PluginPath(), &notFunctions);
  EXPECT_EQ(names, (std::set<std::string>{
                       "GetServiceClass_50F165E61988",
                       "ServicesFinal_50F165E61988",
                       "ServicesInit_50F165E61988",
                       "SetAppHandle_50F165E61988",
                       "SetServiceFactory_50F165E61988",
                   }));
  EXPECT_TRUE(notFunctions.empty());
}

}  // namespace
}  // namespace velmor::testing
