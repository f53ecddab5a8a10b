// What the text at the head of one model file says about the Creo release
// that saved it.
#pragma once

#include <string_view>

namespace vantor {

enum class MarkKind {
  None,         // no version mark at all
  Creo,         // a numbered Creo release
  UnknownCreo,  // Creo, but neither the mark nor the header tells which
  Predecessor,  // Pro/ENGINEER, Wildfire and the like
};

struct ModelMark {
  MarkKind kind = MarkKind::None;
  int version = 0;  // the Creo release when kind is Creo
  bool operator==(const ModelMark&) const = default;
};

// `head` is a model's text up to its first NUL byte. The first line that
// begins with "#" and is a mark decides (lines end in CR, LF or CR LF):
// "#Creo  TM  11.0" is that release; a predecessor's name anywhere on such
// a line is predecessor data. Where the mark gives no number, or names a
// predecessor although a Creo saved the file, the release number of the
// "#UGC:" first line tells the Creo release.
ModelMark VersionMarkOf(std::string_view head);

}  // namespace vantor
