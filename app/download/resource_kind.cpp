#include "resource_kind.h"

#include <algorithm>
#include <cctype>

namespace {

struct PassThroughType {
  std::string_view extension;
  PassThroughKind kind;
  std::string_view text;
};

constexpr PassThroughType kPassThroughTypes[] = {
    {".pcl", PassThroughKind::kPclMacro, "PCL Macro"},
    {".prn", PassThroughKind::kPrintFile, "PRN File"},
    {".frm", PassThroughKind::kPostScriptForm, "Form File"},
};

const PassThroughType* PassThroughTypeOf(std::string_view fileName) {
  for (const PassThroughType& type : kPassThroughTypes) {
    if (HasExtension(fileName, type.extension)) return &type;
  }
  return nullptr;
}

std::string_view PostScriptTypeText(std::uint16_t subtype) {
  switch (subtype & ~GLY_PFB_SUBTYPE_FLAG) {
    case 1: return "PS-Type1 Font";
    case 3: return "PS-Type3 Font";
    case 42: return "PS-Type42 Font";
    default: return "Unsupported PS Font";
  }
}

std::string_view PclTypeText(std::uint16_t format) {
  switch (format) {
    case 0: return "PCL Bitmap Font";
    case 10: return "";
    case 15: return "PCL TrueType Font";
    default: return "Invalid PCL Font";
  }
}

}  // namespace

std::string_view FontTypeText(const ResourceKindInfo& info) {
  switch (static_cast<ResourceKind>(info.kind)) {
    case ResourceKind::TrueType: return "True Type Font";
    case ResourceKind::PclSoftFont: return PclTypeText(info.subtype);
    case ResourceKind::PostScript: return PostScriptTypeText(info.subtype);
    case ResourceKind::None: break;
  }
  return "";
}

std::string_view FileExtension(std::string_view fileName) {
  // UTF-8 never uses the byte of "." inside a multibyte character, so the
  // last such byte is the last dot.
  const std::size_t dot = fileName.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : fileName.substr(dot);
}

bool HasExtension(std::string_view fileName, std::string_view extension) {
  const std::string_view actual = FileExtension(fileName);
  return !actual.empty() &&
         std::equal(actual.begin(), actual.end(), extension.begin(), extension.end(),
                    [](char a, char b) {
                      return std::tolower(static_cast<unsigned char>(a)) ==
                             std::tolower(static_cast<unsigned char>(b));
                    });
}

PassThroughKind PassThroughKindOf(std::string_view fileName) {
  const PassThroughType* type = PassThroughTypeOf(fileName);
  return type ? type->kind : PassThroughKind::kNone;
}

std::string_view PassThroughTypeText(std::string_view fileName) {
  const PassThroughType* type = PassThroughTypeOf(fileName);
  return type ? type->text : std::string_view();
}
