#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "platform/platform.h"

namespace vantor {

SystemResult<std::string> ReadFileHead(const std::string& file, std::size_t maxBytes) {
  const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::error_code(errno, std::generic_category());
  std::string head(maxBytes, '\0');
  std::size_t filled = 0;
  while (filled < maxBytes) {
    const ssize_t got = read(fd, head.data() + filled, maxBytes - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      const int error = errno;
      close(fd);
      return std::error_code(error, std::generic_category());
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  close(fd);
  head.resize(filled);
  return head;
}

}  // namespace vantor
