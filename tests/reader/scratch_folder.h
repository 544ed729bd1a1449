// A fresh folder under the system's temporary directory, removed with its
// contents when the test ends, and small helpers to fill it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "file_system.h"

namespace wrenfield::testing {

class ScratchFolder {
 public:
  ScratchFolder() {
    static int counter = 0;
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = "wrenfield-reader-";
    name += test != nullptr ? test->name() : "test";
    name += "-" + std::to_string(++counter);
    path_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder as the system's own path text.
  std::string path() const { return path_.string(); }
  std::string Join(const std::string& name) const { return JoinPath(path(), name); }

  // Writes a file (raw bytes) and returns its path.
  std::string Write(const std::string& name, const std::string& bytes) const {
    const std::string file = Join(name);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
  }
  std::string MakeFolder(const std::string& name) const {
    const std::string folder = Join(name);
    std::filesystem::create_directories(folder);
    return folder;
  }
  // The number of entries in the folder (to see that no temporary file is left).
  std::size_t EntryCount() const {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(path_)) ++count;
    return count;
  }

 private:
  std::filesystem::path path_;
};

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace wrenfield::testing
