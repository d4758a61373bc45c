// A fresh folder below the system's temporary folder, removed with everything in it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace quin::test {

class TTempFolder {
 public:
  TTempFolder() {
    std::string T = (std::filesystem::temp_directory_path() / "quin-XXXXXX").string();
    if (!mkdtemp(T.data())) ADD_FAILURE() << "mkdtemp failed";
    FPath = T;
  }
  ~TTempFolder() {
    std::error_code E;
    std::filesystem::remove_all(FPath, E);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  const std::filesystem::path& Path() const { return FPath; }
  std::string File(const std::string& Name) const { return (FPath / Name).string(); }

 private:
  std::filesystem::path FPath;
};

}  // namespace quin::test
