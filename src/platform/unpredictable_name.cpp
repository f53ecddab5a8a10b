#include <random>

#include "platform/platform.h"

namespace vantor {

// std::random_device reads the system's random source (getrandom on Linux,
// rand_s on Windows), so the name cannot be worked out from the clock or
// the process id.
std::string UnpredictableName() {
  std::random_device source;
  const char* digits = "0123456789abcdef";
  std::string name;
  for (int i = 0; i < 4; ++i) {
    unsigned word = source();
    for (int j = 0; j < 4; ++j, word >>= 4) name += digits[word & 0xF];
  }
  return name;
}

}  // namespace vantor
