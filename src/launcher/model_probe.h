// The model-version probe: which Creo saved the models of the target
// folder, and which Creo versions are installed. Plain file and registry
// reads in the program itself, so a launch needs no PowerShell.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/model_marks.h"
#include "platform/platform.h"
#include "shell/context.h"

namespace vantor {

enum class ModelData {
  None,         // no model files
  Creo,         // the newest sampled model names its Creo release
  Predecessor,  // only Pro/ENGINEER, Wildfire and the like: older than any Creo
  Unknown,      // models, but no sampled one tells its version
};

struct ProbeResult {
  ModelData data = ModelData::None;
  int dataVersion = 0;         // the newest Creo release, when data is Creo
  bool modelsOffline = false;  // every model is cloud-only, so none was read
  std::string rootsText = "NONE";
  int latestVersion = 0;
  std::string otherVersionsText = "NONE";
};

// Both the largest and the most recently written models are sampled: a
// small part saved yesterday by a newer Creo must not hide behind big old
// assemblies.
inline constexpr std::size_t kModelSampleSize = 5;
// The marks stand among the text lines at a model's head; reading stops at
// the first NUL byte (the binary data has begun) or here.
inline constexpr std::size_t kModelHeadLimit = 64 * 1024;

// A part, assembly or drawing, with or without an iteration number:
// "\.(prt|asm|drw)(\.\d+)?$" without regard to case.
bool IsModelFileName(std::string_view name);

struct ModelSample {
  std::vector<FolderEntry> files;  // the largest, then the newest not among them
  std::size_t models = 0;          // visible model files in the folder
  std::size_t offline = 0;         // of them, cloud-only ones (never sampled)
};

// The `count` largest and the `count` newest visible model files that are
// on the disk, each once; ties go by name so every run picks the same.
// Cloud-only files are passed over: reading one would download it whole.
ModelSample SelectModelSample(const std::vector<FolderEntry>& entries,
                              std::size_t count = kModelSampleSize);

// The folder's data from the marks of its sample: the newest Creo release;
// predecessor data only when no sampled model names a Creo.
ModelData DataOfMarks(const std::vector<ModelMark>& marks, int& newestCreo);

// Samples the listed `entries` of `folder` and reads their heads: data,
// dataVersion and modelsOffline of the result.
ProbeResult SurveyModels(const std::string& folder, const std::vector<FolderEntry>& entries,
                         PathStyle style);

// The survey of the target folder and the installed Creo versions.
ProbeResult RunModelProbe(Context& context, const std::string& targetFolder);

// The latest version, then "," and the other versions when there are any:
// "11,8,9,10"; "0" when nothing is installed.
std::string InstalledVersionsText(const ProbeResult& probe);

}  // namespace vantor
