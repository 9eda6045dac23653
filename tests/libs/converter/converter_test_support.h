// Shared by the converter tests: scratch folders, running peer tools, and
// reading glyph outlines through FreeType for comparison.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_FONT_FORMATS_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <filesystem>
#include <string>
#include <vector>

#include "converter.h"

namespace fs = std::filesystem;

inline const fs::path kUrwType1Dir = "/usr/share/fonts/X11/Type1";
inline const fs::path kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
inline const fs::path kLiberationDir = "/usr/share/fonts/truetype/liberation2";

// A folder removed with everything in it when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  fs::path operator/(const std::string& name) const { return path_ / name; }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

std::string ReadBytes(const fs::path& path);
void WriteBytes(const fs::path& path, const std::string& bytes);

struct CommandResult {
  int exitCode = -1;
  std::string output;  // stdout and stderr together
};
// Runs a shell command line; arguments must already be quoted.
CommandResult RunCommand(const std::string& commandLine);
std::string Quote(const fs::path& path);

struct Classification {
  int result = -1;
  std::string name;
  ResourceKindInfo info{};
};
Classification Classify(const fs::path& path);

// FreeType opened on one file; fails the test if it cannot be.
class Face {
 public:
  explicit Face(const fs::path& path);
  ~Face();
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;
  FT_Face operator->() const { return face_; }
  FT_Face get() const { return face_; }
  bool ok() const { return face_ != nullptr; }

 private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

// A glyph outline as cubic segments in a 1000-unit em, independent of how the
// font stores it: quadratic segments and lines become their equivalent cubics.
struct CubicSegment {
  double x[4], y[4];  // start, two controls, end
};
using Contours = std::vector<std::vector<CubicSegment>>;
bool LoadContours(FT_Face face, FT_UInt glyph, Contours& contours);

// The same contours drawn the other way round, each from the same start.
Contours Reversed(Contours contours);

// Empty when the two outlines agree within `tolerance` units, segments of
// under two units aside; else where they first differ.
std::string CompareContours(const Contours& expected, const Contours& actual, double tolerance);
