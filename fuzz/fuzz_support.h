// What the fuzz targets share. A broken expectation aborts, which libFuzzer
// treats like a crash: it stops and keeps the input that caused it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <utility>

namespace vantor::fuzz {

inline void Expect(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "expectation failed: %s\n", what);
  std::abort();
}

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The text before the first NUL byte and the text after it (empty when
// there is none): how a target that reads two texts gets them from one input.
inline std::pair<std::string_view, std::string_view> SplitAtNul(std::string_view input) {
  const std::size_t at = input.find('\0');
  if (at == std::string_view::npos) return {input, {}};
  return {input.substr(0, at), input.substr(at + 1)};
}

// A file in the temporary folder, rewritten for each input, for readers that
// take a path. A random folder name keeps parallel runs apart.
class ScratchFile {
 public:
  explicit ScratchFile(std::string_view name) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("vantor_fuzz_" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder);
    path_ = (folder / name).string();
  }
  ~ScratchFile() { std::filesystem::remove_all(std::filesystem::path(path_).parent_path()); }

  const std::string& Write(std::string_view bytes) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    Expect(out.good(), "the scratch file can be written");
    return path_;
  }

 private:
  std::string path_;
};

}  // namespace vantor::fuzz
