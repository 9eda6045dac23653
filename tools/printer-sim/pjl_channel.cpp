#include "pjl_channel.h"

#include <algorithm>

#include "pjl_syntax.h"
#include "storage_volume.h"

namespace printer_sim {
namespace {

constexpr char kEnd[] = "\r\n";
constexpr char kFormFeed = '\f';
constexpr uint64_t kInstalledMemory = 256ull << 20;
// An upload answers this much at most; the client asks on from OFFSET.
constexpr uint64_t kMostUploadBytes = 1 << 20;

// Commands taken without an answer.
constexpr std::string_view kQuietCommands[] = {
    "COMMENT", "SET",    "DEFAULT", "RESET",   "INITIALIZE", "RDYMSG",
    "OPMSG",   "STMSG",  "USTATUS", "USTATUSOFF", "EXECUTE"};
constexpr std::string_view kFileSystemCommands[] = {"FSDIRLIST", "FSQUERY", "FSUPLOAD", "FSDOWNLOAD",
                                                    "FSAPPEND",  "FSMKDIR", "FSDELETE"};

template <size_t N>
bool OneOf(const std::string_view (&words)[N], const std::string& word) {
  return std::find(std::begin(words), std::end(words), word) != std::end(words);
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string NameEcho(const std::string& command, const std::string& name) {
  return "@PJL " + command + " NAME=" + Quoted(name);
}

// What a printer answers to a command it does not know.
void UnsupportedReply(std::string_view line, std::string& reply) {
  reply += std::string(line) + kEnd + "\"?\"" + kEnd + kFormFeed;
}

void FileErrorReply(const std::string& command, const std::string& name, int error, std::string& reply) {
  reply += NameEcho(command, name) + kEnd + "FILEERROR=" + std::to_string(error) + kEnd + kFormFeed;
}

// The volumes as PJL names them and INFO FILESYS shows them.
struct VolumeRow {
  Volume volume;
  const char* name;
  const char* location;
};
constexpr VolumeRow kVolumes[] = {{Volume::kDisk, "0:", "DISK"}, {Volume::kFlash, "1:", "FLASH"}};

}  // namespace

PjlChannel::Outcome PjlChannel::Command(std::string_view line, std::string& reply) {
  Outcome outcome;
  while (!line.empty() && IsPjlBlank(line.back())) line.remove_suffix(1);
  std::string_view rest = line.substr(std::min(line.size(), kPjlPrefix.size()));
  if (!rest.empty() && !IsPjlBlank(rest.front())) {
    UnsupportedReply(line, reply);
    return outcome;
  }
  while (!rest.empty() && IsPjlBlank(rest.front())) rest.remove_prefix(1);
  size_t wordEnd = 0;
  while (wordEnd < rest.size() && !IsPjlBlank(rest[wordEnd])) ++wordEnd;
  const std::string word = PjlUpper(rest.substr(0, wordEnd));
  std::string_view options = rest.substr(wordEnd);
  while (!options.empty() && IsPjlBlank(options.front())) options.remove_prefix(1);

  if (word.empty() || OneOf(kQuietCommands, word)) return outcome;
  if (word == "JOB") {
    jobPassword_ = static_cast<uint32_t>(PjlNumber(PjlOption(options, "PASSWORD")).value_or(0));
  } else if (word == "EOJ") {
    jobPassword_ = 0;
  } else if (word == "ENTER") {
    outcome.language = PjlUpper(PjlOption(options, "LANGUAGE").value_or(""));
  } else if (word == "ECHO") {
    reply += "@PJL ECHO " + std::string(options) + kEnd + kFormFeed;
  } else if (word == "INFO") {
    Info(PjlUpper(options), reply);
  } else if (OneOf(kFileSystemCommands, word)) {
    FileSystem(word, options, outcome, reply);
  } else {
    UnsupportedReply(line, reply);
  }
  return outcome;
}

void PjlChannel::Info(const std::string& category, std::string& reply) {
  const PrinterConfig& config = printer_.config();
  std::string body;
  if (category == "ID") {
    body = Quoted(config.description) + kEnd;
  } else if (category == "CONFIG") {
    // Options are indented by a tab, or by blanks on some printers.
    const std::string indent = config.pjl.configBlanks ? "    " : "\t";
    std::string storage;
    int volumes = 0;
    for (const VolumeRow& row : kVolumes) {
      if (!printer_.FindVolume(row.volume)) continue;
      storage += indent + row.location + kEnd;
      ++volumes;
    }
    body = std::string("IN TRAYS [1 ENUMERATED]") + kEnd + indent + "INTRAY1 MP" + kEnd +
           "OUT TRAYS [1 ENUMERATED]" + kEnd + indent + "NORMAL FACEDOWN" + kEnd +
           "PAPER [2 ENUMERATED]" + kEnd + indent + "LETTER" + kEnd + indent + "A4" + kEnd +
           "LANGUAGES [2 ENUMERATED]" + kEnd + indent + "PCL" + kEnd + indent + "POSTSCRIPT" + kEnd +
           "USTATUS [4 ENUMERATED]" + kEnd + indent + "DEVICE" + kEnd + indent + "JOB" + kEnd + indent + "PAGE" + kEnd +
           indent + "TIMED" + kEnd;
    if (volumes > 0) body += "MASS STORAGE [" + std::to_string(volumes) + " ENUMERATED]" + kEnd + storage;
    body += "MEMORY=" + std::to_string(kInstalledMemory) + kEnd + "DISPLAY LINES=2" + kEnd +
            "DISPLAY CHARACTER SIZE=16" + kEnd;
  } else if (category == "FILESYS") {
    reply += "@PJL INFO FILESYS" + FileSystemTable() + kFormFeed;
    return;
  } else if (category == "VARIABLES") {
    body = std::string("COPIES=1 [2 RANGE]") + kEnd + "\t1" + kEnd + "\t999" + kEnd +
           "PAPER=LETTER [2 ENUMERATED]" + kEnd + "\tLETTER" + kEnd + "\tA4" + kEnd +
           "PERSONALITY=AUTO [3 ENUMERATED]" + kEnd + "\tAUTO" + kEnd + "\tPCL" + kEnd + "\tPOSTSCRIPT" +
           kEnd + "RESOLUTION=600 [1 ENUMERATED]" + kEnd + "\t600" + kEnd;
    if (config.pclFonts > 0) {
      body += std::string("LPARM:PCL FONTSOURCE=I [1 ENUMERATED]") + kEnd + "\tI" + kEnd +
              "LPARM:PCL FONTNUMBER=0 [2 RANGE]" + kEnd + "\t0" + kEnd + "\t" +
              std::to_string(config.pclFonts - 1) + kEnd;
    }
  } else {
    body = std::string("\"?\"") + kEnd;
  }
  reply += "@PJL INFO " + category + kEnd + body + kFormFeed;
}

std::string PjlChannel::FileSystemTable() const {
  const PjlPersonality& pjl = printer_.config().pjl;
  // Cells apart: by tabs, by tabs with the reference's empty LOCATION and
  // LABEL, or aligned with blanks under their column names.
  auto row = [&pjl](std::string volume, const std::string& total, const std::string& free,
                    const std::string& location) {
    if (pjl.backslashVolumes) volume += "\\";
    switch (pjl.table) {
      case PjlPersonality::Table::kTabs:
        return "\t" + volume + "\t" + total + "\t" + free + "\t" + location + "\t\tREAD-WRITE";
      case PjlPersonality::Table::kReference:
        return volume + "\t" + total + "\t" + free + "\t\t\tREAD-WRITE";
      case PjlPersonality::Table::kBlanks: break;
    }
    auto cell = [](std::string text, size_t width) { return text.append(width - std::min(width, text.size()), ' '); };
    return cell(volume, 8) + cell(total, 12) + cell(free, 12) + cell(location, 10) + cell("", 8) + "READ-WRITE";
  };
  std::string rows;
  int count = 1;
  for (const VolumeRow& entry : kVolumes) {
    const StorageVolume* volume = printer_.FindVolume(entry.volume);
    if (!volume) continue;
    rows += row(entry.name, std::to_string(volume->capacity()), std::to_string(volume->free()), entry.location) + kEnd;
    ++count;
  }
  const std::string header = pjl.table == PjlPersonality::Table::kTabs
                                 ? "\tVOLUME\tTOTAL SIZE\tFREE SPACE\tLOCATION\tLABEL\tSTATUS"
                             : pjl.table == PjlPersonality::Table::kReference
                                 ? "VOLUME TOTAL SIZE FREE SPACE LOCATION LABEL STATUS"
                                 : "VOLUME  TOTAL SIZE  FREE SPACE  LOCATION  LABEL   STATUS";
  return " [" + std::to_string(count) + " TABLE]" + kEnd + header + kEnd + rows;
}

std::optional<int> PjlChannel::Resolve(const std::string& name, Target& target) const {
  if (name.size() < 2 || name[1] != ':' || name[0] < '0' || name[0] > '9') return kIllegalName;
  if (name[0] > '1') return kVolumeNotAvailable;
  target.volume = name[0] == '0' ? Volume::kDisk : Volume::kFlash;
  if (!printer_.FindVolume(target.volume)) return kVolumeNotAvailable;
  std::string_view rest = std::string_view(name).substr(2);
  auto separator = [](char c) { return c == '\\' || c == '/'; };
  while (!rest.empty() && separator(rest.front())) rest.remove_prefix(1);
  while (!rest.empty() && separator(rest.back())) rest.remove_suffix(1);
  target.path.clear();
  if (rest.empty()) return std::nullopt;
  std::optional<std::string> path = NormalizeVolumePath(rest);
  if (!path) return kIllegalName;
  target.path = *path;
  return std::nullopt;
}

void PjlChannel::FileSystem(const std::string& command, std::string_view options, Outcome& outcome,
                            std::string& reply) {
  const PrinterConfig& config = printer_.config();
  const bool writes = command == "FSDOWNLOAD" || command == "FSAPPEND";
  if (writes) outcome.payload = PjlNumber(PjlOption(options, "SIZE"));
  if (!config.fileSystemAccess) {
    printer_.Log("PJL " + command + " ignored: file-system access is off");
    return;
  }
  const std::string name = PjlOption(options, "NAME").value_or("");
  if (!printer_.TakesJobPassword(jobPassword_)) {
    printer_.Log("PJL " + command + " refused: no job password");
    if (command == "FSDIRLIST" || command == "FSQUERY" || command == "FSUPLOAD") {
      FileErrorReply(command, name, kGeneralError, reply);
    }
    return;
  }
  Target target;
  std::optional<int> error = name.empty() ? std::optional<int>(kInvalidParameter) : Resolve(name, target);
  if (error) return FileErrorReply(command, name, *error, reply);
  if (command == "FSDIRLIST") return DirectoryList(name, target, options, reply);
  if (command == "FSQUERY") return Query(name, target, reply);
  if (command == "FSUPLOAD") return Upload(name, target, options, reply);
  if (writes) return StartWrite({command, name, target, command == "FSAPPEND"}, outcome, reply);
  std::optional<int> failure = command == "FSMKDIR" ? MakeDirectory(target) : Delete(target);
  if (failure) FileErrorReply(command, name, *failure, reply);
}

void PjlChannel::DirectoryList(const std::string& name, const Target& target, std::string_view options,
                               std::string& reply) {
  const StorageVolume& volume = *printer_.FindVolume(target.volume);
  std::optional<std::string> entryText = PjlOption(options, "ENTRY");
  std::optional<std::string> countText = PjlOption(options, "COUNT");
  const uint64_t entry = entryText ? PjlNumber(entryText).value_or(0) : 1;
  uint64_t count = countText ? PjlNumber(countText).value_or(0) : UINT64_MAX;
  const uint32_t page = printer_.config().pjl.directoryPage;
  if (page > 0 && count > page) count = page;
  if (entry == 0 || count == 0) return FileErrorReply("FSDIRLIST", name, kInvalidParameter, reply);
  if (volume.HasFile(target.path)) return FileErrorReply("FSDIRLIST", name, kDirectoryOperationOnFile, reply);
  if (!volume.HasDirectory(target.path)) return FileErrorReply("FSDIRLIST", name, kFileNotFound, reply);

  std::vector<StorageVolume::Entry> entries = {{".", true, 0}, {"..", true, 0}};
  for (StorageVolume::Entry& child : volume.List(target.path)) entries.push_back(std::move(child));
  reply += NameEcho("FSDIRLIST", name) + " ENTRY=" + std::to_string(entry) + kEnd;
  for (uint64_t i = entry - 1, listed = 0; i < entries.size() && listed < count; ++i, ++listed) {
    const StorageVolume::Entry& item = entries[i];
    reply += item.name + (item.directory ? " TYPE=DIR" : " TYPE=FILE SIZE=" + std::to_string(item.size)) + kEnd;
  }
  reply += kFormFeed;
}

void PjlChannel::Query(const std::string& name, const Target& target, std::string& reply) {
  const StorageVolume& volume = *printer_.FindVolume(target.volume);
  if (std::optional<std::string> bytes = volume.Read(target.path)) {
    reply += NameEcho("FSQUERY", name) + " TYPE=FILE SIZE=" + std::to_string(bytes->size()) + kEnd + kFormFeed;
  } else if (volume.HasDirectory(target.path)) {
    reply += NameEcho("FSQUERY", name) + " TYPE=DIR" + kEnd + kFormFeed;
  } else {
    FileErrorReply("FSQUERY", name, kFileNotFound, reply);
  }
}

void PjlChannel::Upload(const std::string& name, const Target& target, std::string_view options,
                        std::string& reply) {
  const StorageVolume& volume = *printer_.FindVolume(target.volume);
  std::optional<std::string> offsetText = PjlOption(options, "OFFSET");
  std::optional<uint64_t> offset = offsetText ? PjlNumber(offsetText) : uint64_t{0};
  std::optional<uint64_t> size = PjlNumber(PjlOption(options, "SIZE"));
  if (!offset || !size) return FileErrorReply("FSUPLOAD", name, kInvalidParameter, reply);
  if (volume.HasDirectory(target.path)) return FileErrorReply("FSUPLOAD", name, kFileOperationOnDirectory, reply);
  std::optional<std::string> bytes = volume.Read(target.path);
  if (!bytes) return FileErrorReply("FSUPLOAD", name, kFileNotFound, reply);
  const size_t start = static_cast<size_t>(std::min<uint64_t>(*offset, bytes->size()));
  const size_t length =
      static_cast<size_t>(std::min<uint64_t>({*size, bytes->size() - start, kMostUploadBytes}));
  reply += "@PJL FSUPLOAD FORMAT:BINARY NAME=" + Quoted(name) + " OFFSET=" + std::to_string(*offset) +
           " SIZE=" + std::to_string(length) + kEnd;
  reply.append(*bytes, start, length);
  reply += kFormFeed;
}

std::optional<int> PjlChannel::CheckWrite(const Target& target, uint64_t size, bool append) const {
  const StorageVolume* volume = printer_.FindVolume(target.volume);
  if (!volume) return kVolumeNotAvailable;
  if (target.path.empty() || volume->HasDirectory(target.path)) return kFileOperationOnDirectory;
  if (!volume->HasDirectory(StorageVolume::Parent(target.path))) return kFileNotFound;
  int64_t growth = append ? static_cast<int64_t>(size) : volume->Growth(target.path, size);
  if (growth > 0 && static_cast<uint64_t>(growth) > volume->free()) return kDiskFull;
  return std::nullopt;
}

void PjlChannel::StartWrite(Write write, Outcome& outcome, std::string& reply) {
  // Without a byte count nothing tells where the data ends: it is read as
  // what follows the command.
  if (!outcome.payload) return FileErrorReply(write.command, write.name, kInvalidParameter, reply);
  if (std::optional<int> error = CheckWrite(write.target, *outcome.payload, write.append)) {
    printer_.Log("PJL " + write.command + " of " + write.name + " failed: FILEERROR=" + std::to_string(*error));
    return FileErrorReply(write.command, write.name, *error, reply);
  }
  outcome.keepPayload = true;
  write_ = std::move(write);
}

void PjlChannel::FinishPayload(std::string bytes, std::string& reply) {
  // Other connections may have changed the volume while the data came in.
  if (std::optional<int> error = CheckWrite(write_.target, bytes.size(), write_.append)) {
    return FileErrorReply(write_.command, write_.name, *error, reply);
  }
  JobStep step;
  step.kind = JobStep::kStoreFile;
  step.volume = write_.target.volume;
  step.path = write_.target.path;
  step.format = PjlStoredFormat(step.path);
  if (write_.append) {
    step.bytes = printer_.FindVolume(step.volume)->Read(step.path).value_or("");
    step.bytes += bytes;
  } else {
    step.bytes = std::move(bytes);
  }
  printer_.Apply(step);
}

std::optional<int> PjlChannel::MakeDirectory(const Target& target) {
  StorageVolume& volume = *printer_.FindVolume(target.volume);
  for (std::string part = target.path; !part.empty(); part = StorageVolume::Parent(part)) {
    if (volume.HasFile(part)) return part == target.path ? kFileAlreadyExists : kDirectoryOperationOnFile;
  }
  if (target.path.empty() || volume.HasDirectory(target.path)) return std::nullopt;
  JobStep step;
  step.kind = JobStep::kMakeDirectory;
  step.volume = target.volume;
  step.path = target.path;
  printer_.Apply(step);
  return std::nullopt;
}

std::optional<int> PjlChannel::Delete(const Target& target) {
  StorageVolume& volume = *printer_.FindVolume(target.volume);
  if (target.path.empty()) return kCannotDeleteRoot;
  if (volume.HasFile(target.path)) {
    JobStep step;
    step.kind = JobStep::kDeleteFile;
    step.volume = target.volume;
    step.path = target.path;
    printer_.Apply(step);
    printer_.Log("PJL FSDELETE removed " + target.path);
    return std::nullopt;
  }
  if (!volume.HasDirectory(target.path)) return kFileNotFound;
  if (!volume.RemoveEmptyDirectory(target.path)) return kDirectoryNotEmpty;
  return std::nullopt;
}

}  // namespace printer_sim
