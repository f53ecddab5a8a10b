#include "launcher/model_probe.h"

#include <algorithm>

#include "base/paths.h"
#include "base/text.h"
#include "launcher/creo_installations.h"

namespace vantor {
namespace {

bool AllDigitsAfter(std::string_view name, std::size_t dot) {
  if (dot + 1 >= name.size()) return false;
  for (std::size_t i = dot + 1; i < name.size(); ++i)
    if (name[i] < '0' || name[i] > '9') return false;
  return true;
}

// Whether `a` ranks before `b`: a larger key, or the same key and a name
// that sorts first.
template <typename Key>
bool RanksBefore(const FolderEntry& a, const FolderEntry& b, Key key) {
  if (key(a) != key(b)) return key(a) > key(b);
  return a.name < b.name;
}

// Keeps `ranked` as the best `count` entries seen so far, in rank order.
// Only an entry that beats the last one is inserted: no full sort.
template <typename Key>
void Rank(std::vector<const FolderEntry*>& ranked, const FolderEntry& entry, std::size_t count,
          Key key) {
  if (ranked.size() == count && !RanksBefore(entry, *ranked.back(), key)) return;
  const auto at = std::find_if(ranked.begin(), ranked.end(), [&](const FolderEntry* other) {
    return RanksBefore(entry, *other, key);
  });
  ranked.insert(at, &entry);
  if (ranked.size() > count) ranked.pop_back();
}

ModelMark MarkOfFile(const std::string& path) {
  const auto head = ReadFileHead(path, kModelHeadLimit);
  if (!head) return {};
  const std::string_view text(*head);
  return VersionMarkOf(text.substr(0, text.find('\0')));
}

}  // namespace

bool IsModelFileName(std::string_view name) {
  const std::size_t lastDot = name.rfind('.');
  if (lastDot != std::string_view::npos && AllDigitsAfter(name, lastDot))
    name = name.substr(0, lastDot);
  const std::string lower = ToLowerAscii(name);
  return EndsWith(lower, ".prt") || EndsWith(lower, ".asm") || EndsWith(lower, ".drw");
}

ModelSample SelectModelSample(const std::vector<FolderEntry>& entries, std::size_t count) {
  ModelSample sample;
  std::vector<const FolderEntry*> largest, newest;
  const auto size = [](const FolderEntry& e) { return e.size; };
  const auto time = [](const FolderEntry& e) { return e.lastWriteNs; };
  for (const auto& entry : entries) {
    if (entry.kind != EntryKind::File || entry.hidden || !IsModelFileName(entry.name)) continue;
    ++sample.models;
    if (entry.dataOffline) {
      ++sample.offline;
      continue;
    }
    Rank(largest, entry, count, size);
    Rank(newest, entry, count, time);
  }
  for (const FolderEntry* entry : largest) sample.files.push_back(*entry);
  for (const FolderEntry* entry : newest)
    if (std::find(largest.begin(), largest.end(), entry) == largest.end())
      sample.files.push_back(*entry);
  return sample;
}

ModelData DataOfMarks(const std::vector<ModelMark>& marks, int& newestCreo) {
  newestCreo = 0;
  bool predecessor = false;
  for (const auto& mark : marks) {
    if (mark.kind == MarkKind::Creo) newestCreo = std::max(newestCreo, mark.version);
    if (mark.kind == MarkKind::Predecessor) predecessor = true;
  }
  if (newestCreo > 0) return ModelData::Creo;
  return predecessor ? ModelData::Predecessor : ModelData::Unknown;
}

ProbeResult SurveyModels(const std::string& folder, const std::vector<FolderEntry>& entries,
                         PathStyle style) {
  ProbeResult probe;
  const ModelSample sample = SelectModelSample(entries);
  if (sample.models == 0) return probe;
  probe.modelsOffline = sample.offline == sample.models;
  std::vector<ModelMark> marks;
  for (const auto& file : sample.files)
    marks.push_back(MarkOfFile(JoinPath(folder, file.name, style)));
  probe.data = DataOfMarks(marks, probe.dataVersion);
  return probe;
}

ProbeResult RunModelProbe(Context& context, const std::string& targetFolder) {
  // A folder that cannot be listed holds no models the launch could open.
  const auto entries = ListFolder(targetFolder);
  ProbeResult probe;
  if (entries) probe = SurveyModels(targetFolder, *entries, context.Style());
  const auto roots = FindPtcRoots(context.system);
  const CreoInstallations installed = ScanCreoInstallations(roots, context.Style());
  probe.rootsText = RootsText(roots);
  probe.latestVersion = installed.latest;
  probe.otherVersionsText = OtherVersionsText(installed);
  return probe;
}

std::string InstalledVersionsText(const ProbeResult& probe) {
  std::string text = std::to_string(probe.latestVersion);
  if (!probe.otherVersionsText.empty() && probe.otherVersionsText != "NONE")
    text += "," + probe.otherVersionsText;
  return text;
}

}  // namespace vantor
