// The questions a download asks before its first printer, once for all
// printers: the conversion of each TrueType font (until "Apply to All"),
// the macro ID of each macro and the name of each form, each naming its
// file. A file whose question is cancelled is left out of the download.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "download/download_outcome.h"
#include "download/resource_job_questions.h"

class ConverterOperations;

struct ResourceAnswer {
  // A TrueType font: how to convert it.
  std::optional<ConversionOptions> conversion;
  // A macro or a form: the name given.
  std::optional<std::string> name;
  // Cancelled: the file is not prepared nor sent, and its cells say why
  // (kNotConverted or kNoName); kNotSent when it goes.
  Outcome leftOut = Outcome::kNotSent;
};

// One answer per path, in order. `choice` holds the conversion until now
// and keeps a confirmed "Apply to All".
std::vector<ResourceAnswer> AskDownloadQuestions(const std::vector<std::string>& paths, ConversionChoice& choice,
                                                 ConverterOperations& converter, ResourceJobQuestions& questions);
