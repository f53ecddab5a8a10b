// Writing a whole buffer to a file descriptor: write() may take less than
// it was given.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <string_view>

namespace vantor {

inline bool WriteAll(int fd, std::string_view bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n <= 0) return false;
    written += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace vantor
