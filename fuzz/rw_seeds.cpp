// Writes the seed files of the chunk walker's fuzz corpus into the folder given:
// sound models and texture dictionaries of this game's and older versions.
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>

#include "rw_stream.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  namespace rw = wrenfield::rw_stream;
  const std::pair<const char*, std::string> seeds[] = {
      {"clump.dff", rw::Clump(300)},
      {"clump-old.dff", rw::Clump(0, 0x00000310)},
      {"dictionary.txd", rw::TextureDictionary(2, 400)},
      {"dictionary-empty.txd", rw::TextureDictionary(0)},
  };
  for (const auto& [name, bytes] : seeds) {
    std::ofstream out(std::string(argv[1]) + "/" + name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) return 1;
  }
  return 0;
}
