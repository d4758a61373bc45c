// The two folders every seed writer takes last on its command line: the seed corpus it writes
// and the fuzzer's working corpus, both emptied first so every run starts from the same seeds.
#pragma once

#include <cstdio>
#include <filesystem>

namespace quin {

// Reads the folders from the last two arguments and empties them; false (after printing Usage)
// when the command line does not have Args arguments.
inline bool PrepareCorpusFolders(int argc, char** argv, int Args, const char* Usage,
                                 std::filesystem::path& Seeds, std::filesystem::path& Work) {
  if (argc != Args + 1) {
    std::fprintf(stderr, "usage: %s\n", Usage);
    return false;
  }
  Seeds = argv[argc - 2];
  Work = argv[argc - 1];
  std::filesystem::remove_all(Seeds);
  std::filesystem::remove_all(Work);
  std::filesystem::create_directories(Seeds);
  std::filesystem::create_directories(Work);
  return true;
}

}  // namespace quin
