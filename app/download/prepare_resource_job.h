// Turning one listed resource into the job or jobs a printer receives: a
// PostScript font into a PostScript download job, a PCL font into a PJL
// download job, and a TrueType font, by the user's conversion choice, into
// a Type 1 font's PostScript job, a PCL TrueType font's PJL job, or both.
// Of the files that are not fonts, a PCL macro becomes a PJL download under
// its macro ID, a PostScript form a PostScript job that stores it under its
// form name (both asked with the "Form / Macro Name" question), and a print
// file goes as it is.
//
// During a download the jobs go to temporary job files made in the job
// folder (JobFolder), which the download worker then sends; during an export
// both job files are the export file, and jobs are appended to it.
//
// Called by one thread at a time per context (the download worker, or the
// user-interface thread during an export).
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "converter.h"
#include "download/download_job.h"
#include "download/job_folder.h"
#include "download/resource_job_questions.h"
#include "download/sent_resource.h"

class ConverterOperations;
class MessageBoxes;

// The job file names in the job folder during a download.
inline constexpr char kJobFileName[] = "tmpPrintFile.tmp";
inline constexpr char kSecondJobFileName[] = "tmp1PrintFile.tmp";  // PCL half of Both

// `PostScriptJobFile` and `PclJobFile`: where the last prepared resource's
// jobs were written, open. Outside export mode they are temporary job files
// made for the resource (null before the first); in export mode both are
// the export file.
struct JobFiles {
  std::shared_ptr<JobFile> postScript;
  std::shared_ptr<JobFile> pcl;
};

// Status of a macro or form whose name question was cancelled: nothing is
// sent for it.
inline constexpr const char* kNoResourceNameText = "No Name Given";

// What job preparation works with, kept by the resource manager for its
// whole life.
struct ResourceJobContext {
  ResourceJobContext(ConverterOperations& converter, ResourceJobQuestions& questions,
                     MessageBoxes& boxes, const std::string& jobDirectory)
      : converter(converter), questions(questions), boxes(boxes), jobFolder(jobDirectory) {}

  ConverterOperations& converter;
  ResourceJobQuestions& questions;
  MessageBoxes& boxes;
  // The job folder: temporary job files and the conversions' scratch
  // files go here.
  OpenJobFolder jobFolder;
  StorageLocation downloadLocation = kHardDisk;
  // The PJL password of the printer the jobs go to (0: none); every job
  // carries it.
  uint32_t pjlPassword = 0;
  ConversionChoice conversion;
  JobFiles jobFiles;  // set to the export file by an export
  // The macro IDs and form names given so far, by resource path, so that a
  // download asks once per resource however many printers it serves
  // (nothing: the question was cancelled). Cleared for each export.
  std::map<std::string, std::optional<std::string>> resourceNames;
  // How many characters of the last prepared resource its PCL TrueType
  // font could not carry.
  std::size_t charactersLeftOut = 0;
  // The symbol set that selects the last prepared resource's PCL TrueType
  // font when it went unbound (its characters under their Unicode codes,
  // as no symbol set holds them): "18N"; empty for a bound font.
  std::string unboundSymbolSet;
  // What the jobs of the last prepared resource store on the printer, one
  // entry per job written, in their order.
  std::vector<SentResource> sent;
};

enum ResourceJobResult : int {
  kResourceJobDone = 0,             // jobs written, or nothing to write
  kPostScriptConversionFailed = 1,  // a binary PostScript font could not be made ASCII
  kTrueTypeConversionFailed = 2,    // a TrueType conversion failed
  // A job writer failed and showed why: the job files hold no complete job
  // for this resource, and nothing of it may be sent or reported as done.
  kResourceJobNotWritten = 3,
  // As above, because the job file took no more bytes (a full disk, an
  // input/output error): what it holds is incomplete.
  kResourceJobWriteFailed = 4,
  // A conversion or a temporary job failed because the job folder's disk
  // is full: the font itself may be fine.
  kScratchSpaceFull = 5,
  // The macro ID or form name question was cancelled: nothing written.
  kResourceNameNotGiven = 6,
};

// Prepares the resource at `path`. `fontName` (GLY_FONT_NAME_SIZE bytes) and
// `kindInfo` are its classification; the TrueType to Type 1 conversion
// classifies its result again into both. Outside export mode each resource
// starts with empty temporary job files, so nothing left by an earlier run
// is sent ahead of its jobs. Scratch files of the conversions are gone when
// it returns. The PCL jobs go to the `pcl` job file (macros and print files
// too), the PostScript ones, forms included, to `postScript`.
int PrepareResourceJob(ResourceJobContext& context, const char* path, char* fontName,
                       ResourceKindInfo& kindInfo, bool exportMode);
