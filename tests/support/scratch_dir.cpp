#include "scratch_dir.h"

#include <atomic>
#include <chrono>
#include <filesystem>

#include "file_bytes.h"

namespace fs = std::filesystem;

namespace wrenfield::testing {

ScratchDir::ScratchDir(const std::string& label) {
  static std::atomic<unsigned> counter{0};
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  for (;;) {
    const fs::path candidate =
        fs::temp_directory_path() / ("wrenfield-" + label + "-" + std::to_string(ProcessId()) +
                                     "-" + std::to_string(ticks) + "-" + std::to_string(counter++));
    if (fs::create_directories(candidate)) {
      path_ = candidate.string();
      return;
    }
  }
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string ScratchDir::Write(const std::string& name, const std::string& bytes) const {
  const std::string file = Path(name);
  WriteAll(file, bytes);
  return file;
}

std::string ScratchDir::MakeFolder(const std::string& name) const {
  const std::string folder = Path(name);
  MakeDir(folder);
  return folder;
}

std::size_t ScratchDir::EntryCount() const {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(path_)) ++count;
  return count;
}

}  // namespace wrenfield::testing
