// Shared by the job writer and job preparation tests: files as byte
// strings, and message boxes that record what was shown.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "download/job_folder.h"
#include "download/resource_job_questions.h"
#include "ui/message_boxes.h"

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The bytes of an open job file, read through its descriptor as the job
// ports read it: its name may by now be another job's.
inline std::string ReadJobFile(const JobFile& jobFile) {
  std::string bytes;
  char block[4096];
  for (off_t at = 0;;) {
    const ssize_t got = pread(jobFile.descriptor(), block, sizeof block, at);
    if (got <= 0) return bytes;
    bytes.append(block, static_cast<size_t>(got));
    at += got;
  }
}

// The file at `path` open as a job file, made when absent; its descriptor
// is -1 when it cannot be opened.
inline std::unique_ptr<JobFile> OpenJobFile(const std::string& path) {
  return std::make_unique<JobFile>(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600), path);
}

// `path` made a folder closed to others, as a job folder is; the path.
inline std::string MakePrivateFolder(const std::string& path) {
  std::filesystem::create_directory(path);
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  return path;
}

// Every byte value in turn, so that a copy that alters or drops any shows.
inline std::string BytePattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
  return bytes;
}

class RecordingBoxes final : public MessageBoxes {
 public:
  int Show(int stringId, unsigned = MB_OK) override {
    shown.push_back(stringId);
    return IDOK;
  }
  int ShowMessage(const std::string& text, unsigned = MB_OK) override {
    texts.push_back(text);
    return IDOK;
  }
  std::vector<int> shown;
  std::vector<std::string> texts;
};

// The names of the files in `folder`, sorted.
inline std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Answers the conversion question with the queued choices (Cancel when
// none is queued) and counts the questions.
class ScriptedQuestions final : public ResourceJobQuestions {
 public:
  std::optional<ConversionOptions> AskConversionOptions(const std::string& fileName) override {
    ++conversionQuestions;
    askedFiles.push_back(fileName);
    if (answers.empty()) return std::nullopt;
    ConversionOptions answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::optional<std::string> AskFormMacroName(ResourceNameKind kind, const std::string& fileName) override {
    ++formMacroQuestions;
    askedFiles.push_back(fileName);
    askedNames.push_back(kind);
    if (names.empty()) return std::nullopt;
    std::string name = names.front();
    names.pop_front();
    return name;
  }

  std::deque<ConversionOptions> answers;  // empty: Cancel
  std::deque<std::string> names;          // macro IDs and form names; empty: Cancel
  std::vector<ResourceNameKind> askedNames;
  std::vector<std::string> askedFiles;  // the file each question named, in order
  int conversionQuestions = 0;
  int formMacroQuestions = 0;
};

inline constexpr ConversionOptions kToType1{true, false, false, false};
inline constexpr ConversionOptions kToPcl{false, true, false, false};
inline constexpr ConversionOptions kBoth{false, false, true, false};
