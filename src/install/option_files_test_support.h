// Creo option files as users keep them, written by the tests: a byte-order
// mark before a first comment line, CR LF, dozens of mapkeys with long
// continuation runs, many search paths (quoted, with spaces, relative),
// tab-separated def_layer lines and options without a value.
#pragma once

#include <string>
#include <vector>

namespace vantor::testing {

struct OptionFileShape {
  std::string owner;    // goes into comments and paths
  int firstMapkey = 0;  // mapkeys are numbered; shapes may overlap
  int mapkeys = 30;
  int firstSearchPath = 0;  // so are search paths
  int searchPaths = 60;
  bool byteOrderMark = true;
  const char* lineEnd = "\r\n";
  std::string displayMode = "shade";
};

inline std::string MapkeyLines(int number, const std::string& owner) {
  const std::string sequence = "k" + std::to_string(number);
  std::string text = "mapkey " + sequence + " @MAPKEY_NAME" + owner + " macro " +
                     std::to_string(number) + ";@MAPKEY_LABEL" + sequence + ";\\\n";
  // Runs of 2 to 14 continuation lines, as recorded macros have.
  const int continued = 2 + number % 13;
  for (int i = 0; i < continued; ++i) {
    text += "mapkey(continued) ~ Command `ProCmdStep" + std::to_string(i) + "` ;";
    text += i + 1 < continued ? "\\\n" : "\n";
  }
  return text;
}

inline std::string SearchPathLine(int number) {
  switch (number % 3) {
    case 0:
      return "search_path \"C:\\Standard Parts\\Group " + std::to_string(number) + "\"\n";
    case 1:
      return "search_path .\\lib\\sub" + std::to_string(number) + "\n";
    default:
      return "search_path   \\\\server\\cad\\lib" + std::to_string(number) + "\n";
  }
}

// The text with "\n" line ends; WithLineEnds gives the file's own.
inline std::string OptionFileText(const OptionFileShape& shape) {
  std::string text = "! Creo Parametric configuration of " + shape.owner + "\n";
  text += "! kept by hand since Wildfire\n\n";
  text += "display_mode " + shape.displayMode + "\n";
  text += "pro_unit_length unit_mm\ntolerance_standard iso\n";
  text += "regen_failure_handling\n";  // an option named without a value
  text += "def_layer\tlayer_axis\t01_AXES\ndef_layer\tlayer_datum_plane\t02_DATUMS\n";
  text += "! search paths\n";
  for (int i = 0; i < shape.searchPaths; ++i) text += SearchPathLine(shape.firstSearchPath + i);
  text += "search_path_file " + shape.owner + "_paths.txt\n\n! mapkeys\n";
  for (int i = 0; i < shape.mapkeys; ++i) text += MapkeyLines(shape.firstMapkey + i, shape.owner);
  text += "sketcher_starts_in_2d yes\n";
  return text;
}

inline std::string WithLineEnds(const OptionFileShape& shape, const std::string& text) {
  std::string out = shape.byteOrderMark ? "\xEF\xBB\xBF" : "";
  for (const char c : text) {
    if (c == '\n')
      out += shape.lineEnd;
    else
      out += c;
  }
  return out;
}

inline std::string OptionFileBytes(const OptionFileShape& shape) {
  return WithLineEnds(shape, OptionFileText(shape));
}

}  // namespace vantor::testing
