#include "converter_test_support.h"

#include FT_OUTLINE_H

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

ScratchDir::ScratchDir() {
  std::string pattern = (fs::temp_directory_path() / "gly-converter-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

CommandResult RunCommand(const std::string& commandLine) {
  CommandResult result;
  FILE* pipe = ::popen((commandLine + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    result.output.append(buffer, got);
  const int status = ::pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string Quote(const fs::path& path) { return "'" + path.string() + "'"; }

Classification Classify(const fs::path& path) {
  char name[GLY_FONT_NAME_SIZE] = {};
  Classification c;
  c.result = ClassifyFontFile(path.c_str(), name, &c.info);
  c.name.assign(name, strnlen(name, sizeof name));
  return c;
}

Face::Face(const fs::path& path) {
  if (FT_Init_FreeType(&library_) != 0 || FT_New_Face(library_, path.c_str(), 0, &face_) != 0) {
    face_ = nullptr;
    ADD_FAILURE() << "FreeType cannot open " << path;
  }
}

Face::~Face() {
  if (face_ != nullptr) FT_Done_Face(face_);
  if (library_ != nullptr) FT_Done_FreeType(library_);
}

namespace {

// Rounding to whole units may drop a segment shorter than a unit or two, on
// either side; such segments are skipped while the others are paired.
bool IsTiny(const CubicSegment& s) {
  for (int i = 1; i < 4; ++i) {
    if (std::hypot(s.x[i] - s.x[0], s.y[i] - s.y[0]) >= 2.0) return false;
  }
  return true;
}

struct Collector {
  double scale;
  double x = 0, y = 0;
  Contours* contours;

  void Add(double x1, double y1, double x2, double y2, const FT_Vector* to) {
    const double ex = to->x * scale, ey = to->y * scale;
    contours->back().push_back({{x, x1, x2, ex}, {y, y1, y2, ey}});
    x = ex, y = ey;
  }
};

Collector& Of(void* user) { return *static_cast<Collector*>(user); }

int MoveTo(const FT_Vector* to, void* user) {
  Collector& c = Of(user);
  c.contours->emplace_back();
  c.x = to->x * c.scale, c.y = to->y * c.scale;
  return 0;
}

int LineTo(const FT_Vector* to, void* user) {
  Collector& c = Of(user);
  c.Add(c.x, c.y, to->x * c.scale, to->y * c.scale, to);
  return 0;
}

int ConicTo(const FT_Vector* q, const FT_Vector* to, void* user) {
  Collector& c = Of(user);
  const double qx = q->x * c.scale, qy = q->y * c.scale;
  const double ex = to->x * c.scale, ey = to->y * c.scale;
  c.Add(c.x + 2 * (qx - c.x) / 3, c.y + 2 * (qy - c.y) / 3, ex + 2 * (qx - ex) / 3,
        ey + 2 * (qy - ey) / 3, to);
  return 0;
}

int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  Collector& c = Of(user);
  c.Add(c1->x * c.scale, c1->y * c.scale, c2->x * c.scale, c2->y * c.scale, to);
  return 0;
}

}  // namespace

bool LoadContours(FT_Face face, FT_UInt glyph, Contours& contours) {
  contours.clear();
  if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) != 0) return false;
  Collector collector{1000.0 / face->units_per_EM, 0, 0, &contours};
  const FT_Outline_Funcs callbacks = {MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
  if (FT_Outline_Decompose(&face->glyph->outline, &callbacks, &collector) != 0) return false;
  // Contours of a stray point or two, which a converter may leave out.
  std::erase_if(contours, [](const auto& contour) { return std::all_of(contour.begin(), contour.end(), IsTiny); });
  return true;
}

namespace {

int FirstDifferentPoint(const CubicSegment& a, const CubicSegment& b, double tolerance) {
  for (int i = 1; i < 4; ++i) {
    if (std::fabs(a.x[i] - b.x[i]) > tolerance || std::fabs(a.y[i] - b.y[i]) > tolerance) return i;
  }
  return 0;
}

}  // namespace

Contours Reversed(Contours contours) {
  for (auto& contour : contours) {
    std::reverse(contour.begin(), contour.end());
    for (CubicSegment& segment : contour) {
      std::reverse(std::begin(segment.x), std::end(segment.x));
      std::reverse(std::begin(segment.y), std::end(segment.y));
    }
  }
  return contours;
}

std::string CompareContours(const Contours& expected, const Contours& actual, double tolerance) {
  if (expected.size() != actual.size())
    return "contours " + std::to_string(expected.size()) + " vs " + std::to_string(actual.size());
  for (std::size_t c = 0; c < expected.size(); ++c) {
    const auto& want = expected[c];
    const auto& got = actual[c];
    std::size_t w = 0, g = 0;
    while (w < want.size() || g < got.size()) {
      if (w < want.size() && g < got.size() && FirstDifferentPoint(want[w], got[g], tolerance) == 0) {
        ++w, ++g;
      } else if (w < want.size() && IsTiny(want[w])) {
        ++w;
      } else if (g < got.size() && IsTiny(got[g])) {
        ++g;
      } else {
        std::ostringstream where;
        where << "contour " << c << " segment " << w << "/" << g;
        if (w < want.size() && g < got.size()) {
          const int i = FirstDifferentPoint(want[w], got[g], tolerance);
          where << " point " << i << ": (" << want[w].x[i] << "," << want[w].y[i] << ") vs ("
                << got[g].x[i] << "," << got[g].y[i] << ")";
        }
        return where.str();
      }
    }
  }
  return {};
}
