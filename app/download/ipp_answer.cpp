#include "download/ipp_answer.h"

#include <cups/cups.h>

#include <algorithm>
#include <cctype>
#include <string_view>

#include "text/shown_text.h"

namespace {

constexpr char kOctetStream[] = "application/octet-stream";

bool SameFormat(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

int FirstInteger(ipp_t* answer, const char* name, ipp_tag_t type) {
  ipp_attribute_t* attribute = answer ? ippFindAttribute(answer, name, type) : nullptr;
  return attribute ? ippGetInteger(attribute, 0) : 0;
}

}  // namespace

std::string IppKeywords(ipp_t* answer, const char* name) {
  std::string text;
  ipp_attribute_t* attribute = answer ? ippFindAttribute(answer, name, IPP_TAG_KEYWORD) : nullptr;
  for (int i = 0; attribute && i < ippGetCount(attribute); ++i) {
    const char* keyword = ippGetString(attribute, i, nullptr);
    if (!keyword || std::string_view(keyword) == "none") continue;
    if (!text.empty()) text += ", ";
    text += keyword;
  }
  return ShownUtf8AsSingleByte(text);
}

std::string ChooseDocumentFormat(ipp_t* answer, const char* wanted) {
  std::string octetStream, chosen;
  ipp_attribute_t* formats = answer ? ippFindAttribute(answer, "document-format-supported", IPP_TAG_MIMETYPE)
                                    : nullptr;
  for (int i = 0; formats && i < ippGetCount(formats); ++i) {
    const char* format = ippGetString(formats, i, nullptr);
    if (!format) continue;
    if (SameFormat(format, wanted)) chosen = format;
    if (SameFormat(format, kOctetStream)) octetStream = format;
  }
  if (!chosen.empty()) return chosen;
  return octetStream.empty() ? wanted : octetStream;
}

int IppJobId(ipp_t* answer) { return FirstInteger(answer, "job-id", IPP_TAG_INTEGER); }

int IppJobState(ipp_t* answer) { return FirstInteger(answer, "job-state", IPP_TAG_ENUM); }

std::string IppStatusMessage() { return ShownUtf8AsSingleByte(cupsLastErrorString()); }
