// Turning one listed resource into the job or jobs a printer receives: a
// PostScript font into a PostScript download job, a PCL font into a PJL
// download job, and a TrueType font, by the user's conversion choice, into
// a Type 1 font's PostScript job, a PCL TrueType font's PJL job, or both.
//
// During a download the jobs go to temporary job files in the job folder
// (JobFolder), which the download worker then sends; during an export both
// job files are the export file, and jobs are appended to it.
//
// Called by one thread at a time per context (the download worker, or the
// user-interface thread during an export).
#pragma once

#include <cstddef>
#include <string>
#include <utility>

#include "converter.h"
#include "download/download_job.h"
#include "download/resource_job_questions.h"

class ConverterOperations;
class MessageBoxes;

// The job file names in the job folder during a download.
inline constexpr char kJobFileName[] = "tmpPrintFile.tmp";
inline constexpr char kSecondJobFileName[] = "tmp1PrintFile.tmp";  // PCL half of Both

// `PostScriptJobFile` and `PclJobFile`: where the last prepared resource's
// jobs were written. Outside export mode both name temporary job files,
// the one a resource does not use included, so that whoever deletes the
// job files after a download never deletes an earlier export file.
struct JobFiles {
  std::string postScript;
  std::string pcl;
};

// What job preparation works with, kept by the resource manager for its
// whole life.
struct ResourceJobContext {
  ResourceJobContext(ConverterOperations& converter, ResourceJobQuestions& questions,
                     MessageBoxes& boxes, std::string jobDirectory)
      : converter(converter),
        questions(questions),
        boxes(boxes),
        jobDirectory(std::move(jobDirectory)) {}

  ConverterOperations& converter;
  ResourceJobQuestions& questions;
  MessageBoxes& boxes;
  // The job folder: temporary job files and the conversions' scratch
  // files go here.
  std::string jobDirectory;
  StorageLocation downloadLocation = kHardDisk;
  ConversionChoice conversion;
  JobFiles jobFiles;  // set to the export file by an export
  // How many characters of the last prepared resource its PCL TrueType
  // font could not carry.
  std::size_t charactersLeftOut = 0;
};

enum ResourceJobResult : int {
  kResourceJobDone = 0,             // jobs written, or nothing to write
  kPostScriptConversionFailed = 1,  // a binary PostScript font could not be made ASCII
  kTrueTypeConversionFailed = 2,    // a TrueType conversion failed
  // A job writer failed and showed why: the job files hold no complete job
  // for this resource, and nothing of it may be sent or reported as done.
  kResourceJobNotWritten = 3,
};

// Prepares the resource at `path`. `fontName` (GLY_FONT_NAME_SIZE bytes) and
// `kindInfo` are its classification; the TrueType to Type 1 conversion
// classifies its result again into both. Outside export mode each resource
// starts with empty temporary job files, so nothing left by an earlier run
// is sent ahead of its jobs. Scratch files of the conversions are gone when
// it returns. A resource named ".pcl" is followed by the Form / Macro Name
// question.
int PrepareResourceJob(ResourceJobContext& context, const char* path, char* fontName,
                       ResourceKindInfo& kindInfo, bool exportMode);
