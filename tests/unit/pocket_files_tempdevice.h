// A device on a fresh temporary root, for tests of the layer's file, sound and
// resource services; removed again when the test ends.
#pragma once
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "device.h"
#include "fake_host.h"

namespace test {

inline std::filesystem::path freshRoot() {
  std::string pattern = (std::filesystem::temp_directory_path() / "pkdev-XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  return made ? std::filesystem::path(made) : std::filesystem::path();
}

struct TempDevice {
  FakeHost host;
  std::filesystem::path root = freshRoot();

  explicit TempDevice(const pk::ModuleImage* module = &pkProgramModule) {
    pk::DeviceConfig config;
    config.root = root;
    pk::setUpDevice(host, config, module);
  }
  ~TempDevice() {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    pk::device().host = nullptr;
  }

  void write(const std::filesystem::path& relative, const std::string& bytes) {
    std::filesystem::create_directories((root / relative).parent_path());
    std::ofstream(root / relative, std::ios::binary) << bytes;
  }
  std::string read(const std::filesystem::path& relative) {
    std::ifstream in(root / relative, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
};

}  // namespace test
