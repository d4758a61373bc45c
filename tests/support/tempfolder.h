// A fresh folder below the system's temporary folder, removed with everything in it, and
// writing a file with the folders it needs.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace quin::test {

// Writes Data to the file Path (bytes as they are), making the folders it needs first.
inline void WriteFile(const std::string& Path, const std::string& Data) {
  std::filesystem::create_directories(std::filesystem::path(Path).parent_path());
  std::ofstream(Path, std::ios::binary) << Data;
}

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
  // The path of Name (which may hold subfolders) inside the folder.
  std::string File(const std::string& Name) const { return (FPath / Name).string(); }
  // The folder's path ending with "/", for code that joins names to a folder by hand.
  std::string Dir() const { return FPath.string() + "/"; }
  // Writes the file Name inside the folder (its subfolders made as needed); returns its path.
  std::string Write(const std::string& Name, const std::string& Data) const {
    WriteFile(File(Name), Data);
    return File(Name);
  }

 private:
  std::filesystem::path FPath;
};

}  // namespace quin::test
