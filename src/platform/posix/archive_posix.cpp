#include "platform/platform.h"

namespace vantor {

// bsdtar is the tar that Windows ships; GNU tar cannot read zip archives.
ProgramCall ExtractArchiveCommand(const std::string& archive, const std::string& destination) {
  return {"bsdtar", {"-xf", archive, "-C", destination}};
}

}  // namespace vantor
