// A fixture for job preparation with the converter library itself, in a
// scratch program directory, the questions scripted.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "download/converter_operations.h"
#include "download/prepare_resource_job.h"
#include "job_test_support.h"
#include "temp_dir.h"

class LibraryJobTest : public ::testing::Test {
 protected:
  // Classifies `path` as a download does, then prepares its jobs for
  // `location`; -1 when the converter does not take it for a font.
  int ClassifyAndPrepare(const std::string& path, StorageLocation location = kHardDisk) {
    context.downloadLocation = location;
    std::memset(fontName, 0, sizeof fontName);
    kindInfo = {};
    if (ConverterLibrary().ClassifyFontFile(path.c_str(), fontName, &kindInfo) != 0) return -1;
    classifiedKind = kindInfo.kind;
    return PrepareResourceJob(context, path.c_str(), fontName, kindInfo, false);
  }

  TempDir dir;
  std::string appDir = MakePrivateFolder(dir.file("app"));
  ScriptedQuestions questions;
  RecordingBoxes boxes;
  ResourceJobContext context{ConverterLibrary(), questions, boxes, appDir};
  char fontName[GLY_FONT_NAME_SIZE] = {};
  ResourceKindInfo kindInfo{};
  uint16_t classifiedKind = 0;  // the kind before any conversion
};
