// write_fuzz_corpus MODULE PE_DIR RESOURCE_DIR: the fuzzers' starting corpus from a
// built module. PE_DIR gets each corrupted copy of MODULE (the malformed-
// module table of the tests, tests/module_corruptions.h); RESOURCE_DIR gets
// each bitmap and version block of MODULE, behind the byte that makes
// resource_decoders_fuzz pick its decoder.
#include <fstream>
#include <iostream>
#include <iterator>

#include "module_corruptions.h"
#include "pe/pe_file.h"

namespace {

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) std::cerr << "write_fuzz_corpus: cannot write " << path << "\n";
  return bool(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: write_fuzz_corpus MODULE PE_DIR RESOURCE_DIR\n";
    return 2;
  }
  const std::string modulePath = argv[1], peDir = argv[2], resourceDir = argv[3];
  std::ifstream in(modulePath, std::ios::binary);
  std::vector<uint8_t> module((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto cases = corruption::corruptedCopies(module);
  if (!cases) {
    std::cerr << "write_fuzz_corpus: " << modulePath << ": " << cases.error().message << "\n";
    return 1;
  }
  for (const corruption::Case& c : *cases)
    if (!writeFile(peDir + "/" + c.name, c.bytes)) return 1;

  auto file = gb::pe::parsePe(module);
  if (!file) {
    std::cerr << "write_fuzz_corpus: " << modulePath << ": " << file.error().message << "\n";
    return 1;
  }
  size_t resources = 0;
  for (const gb::pe::Resource& r : file->resources) {
    const bool bitmap = r.type == gb::pe::kResourceTypeBitmap, version = r.type == gb::pe::kResourceTypeVersion;
    auto bytes = file->resourceBytes(r);
    if ((!bitmap && !version) || !bytes) continue;
    std::vector<uint8_t> input{uint8_t(version ? 1 : 0)};
    input.insert(input.end(), bytes->begin(), bytes->end());
    if (!writeFile(resourceDir + "/" + (version ? "version-" : "bitmap-") + gb::hex(r.id), input)) return 1;
    ++resources;
  }
  std::cout << cases->size() << " corrupted copies in " << peDir << ", " << resources << " resources in "
            << resourceDir << "\n";
  return 0;
}
