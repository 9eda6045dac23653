#include "pjl_inventory.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>
#include <string_view>

#include "font_file_name.h"
#include "pjl_reply.h"

namespace glysnmp {
namespace {

// Where fonts are kept on a volume: our own PCL downloads and the usual
// PCL folder go to "pcl\fonts", PostScript downloads and the PostScript
// interpreter's own fonts to "fonts" (%disk0%fonts/ seen from PostScript).
struct FontFolder {
  std::string_view path;
  int32_t typeOfTrueType;  // what a TrueType file, or one that says nothing, there serves as
};
constexpr FontFolder kFontFolders[] = {
    {"pcl\\fonts", kFontTypePcl},
    {"fonts", kFontTypePostScript},
};

// Volumes to look at when the printer does not list them.
constexpr std::string_view kUsualVolumes[] = {"0:", "1:"};

constexpr size_t kMostInfoBytes = 64 * 1024;
constexpr size_t kDirectoryPage = 256;
constexpr size_t kMostPageBytes = kDirectoryPage * (kMostPjlNameBytes + 40) + 1024;
constexpr uint32_t kMostNameTableBytes = 16 * 1024;
constexpr size_t kMostReadbackBytes = 1024 * 1024;
constexpr size_t kMostFontFiles = 4096;

constexpr int32_t kFirstPclIndex = 1;
constexpr int32_t kFirstPostScriptIndex = 0x100000;
constexpr int32_t kFirstFileIndex = 0x40000000;

int32_t FileIndex(std::string_view path) {
  uint32_t hash = 2166136261u;
  for (unsigned char c : path) hash = (hash ^ c) * 16777619u;
  return kFirstFileIndex + static_cast<int32_t>(hash & 0x3FFFFFFF);
}

std::string Quoted(std::string_view path) { return "NAME=\"" + std::string(path) + "\""; }

// Whether `path` survives being quoted in a PJL command: a quote or a
// control character would end the name early or the command with it.
bool Quotable(std::string_view path) {
  auto breaksQuotes = [](unsigned char c) { return c < 0x20 || c == '"' || c == 0x7F; };
  return !path.empty() && path.size() <= kMostPjlNameBytes && std::none_of(path.begin(), path.end(), breaksQuotes);
}

// File-system status codes (FILEERROR=n) that say a file is not there.
constexpr int32_t kVolumeNotAvailable = 1;
constexpr int32_t kFileNotFound = 3;

std::string UploadRequest(std::string_view path, uint32_t offset, uint32_t size) {
  return PjlLine("FSUPLOAD " + Quoted(path) + " OFFSET=" + std::to_string(offset) + " SIZE=" + std::to_string(size));
}

struct Volume {
  std::string name;  // "0:"
  int32_t location = kFontOnHardDisk;
};

struct FontFile {
  std::string path;
  int32_t index = 0;
  int32_t location = kFontOnHardDisk;
  const FontFolder* folder = nullptr;
};

// What a volume of INFO FILESYS is: flash memory when its location says
// so, no storage for downloads when it is RAM or ROM, else a disk (also
// when the printer leaves the location empty).
bool IsFlash(const FileSystemVolume& volume) { return volume.location.find("FLASH") != std::string::npos; }
bool IsMemory(const FileSystemVolume& volume) {
  return volume.location.rfind("RAM", 0) == 0 || volume.location.rfind("ROM", 0) == 0;
}

// The status of a conversation that ended without an answer.
PjlStatus FailureOf(const PjlClient& client) {
  switch (client.failure()) {
    case PjlFailure::kDeadlinePassed: return PjlStatus::kDeadlinePassed;
    case PjlFailure::kTooManyRequests: return PjlStatus::kTooManyRequests;
    case PjlFailure::kNone:
    case PjlFailure::kNoAnswer: break;
  }
  return PjlStatus::kUnreachable;
}

bool OverBounds(const PjlClient& client) { return FailureOf(client) != PjlStatus::kUnreachable; }

std::vector<Volume> VolumesOf(PjlClient& client) {
  std::vector<Volume> volumes;
  if (std::optional<std::string> reply = client.Exchange(PjlLine("INFO FILESYS"), kMostInfoBytes)) {
    for (const FileSystemVolume& found : ReadFileSystemTable(*reply)) {
      volumes.push_back({found.volume, IsFlash(found) ? kFontInFlash : kFontOnHardDisk});
    }
  }
  if (volumes.empty()) {
    for (std::string_view name : kUsualVolumes) {
      volumes.push_back({std::string(name), name == "1:" ? kFontInFlash : kFontOnHardDisk});
    }
  }
  return volumes;
}

// What the font folders' listings told of the file system as a whole.
struct FolderAccess {
  bool answered = false;  // some listing got an answer
  bool refused = false;   // some listing was refused (FILEERROR=0: locked)
  bool listed = false;    // some folder was listed
  // kAnswered when a folder could be listed, else why none could.
  PjlStatus Status() const {
    if (!answered) return PjlStatus::kNoFileSystemAccess;
    if (refused && !listed) return PjlStatus::kFileSystemLocked;
    return PjlStatus::kAnswered;
  }
};

// Up to `count` entries of the folder `path` from entry `first` (FSDIRLIST),
// noted in `access`: none when the printer ignored or refused the listing;
// nullopt when it gave no answer (client.failure() tells).
std::optional<std::vector<DirectoryEntry>> ListFolderPage(PjlClient& client, const std::string& path, size_t first,
                                                          size_t count, FolderAccess& access) {
  std::optional<std::string> reply = client.Exchange(
      PjlLine("FSDIRLIST " + Quoted(path) + " ENTRY=" + std::to_string(first) + " COUNT=" + std::to_string(count)),
      kMostPageBytes);
  if (!reply) return std::nullopt;
  const FileSystemReply listing = ReadFileSystemReply(*reply);
  access.answered = access.answered || listing.answered;
  if (listing.fileError) access.refused = access.refused || *listing.fileError == 0;
  if (!listing.answered || listing.fileError) return std::vector<DirectoryEntry>{};
  access.listed = true;
  return ReadDirectoryEntries(listing.lines);
}

// Font files of every font folder, sorted by path, or the status that
// kept them from being listed.
PjlStatus ListFontFiles(PjlClient& client, std::vector<FontFile>* files) {
  FolderAccess access;
  for (const Volume& volume : VolumesOf(client)) {
    for (const FontFolder& folder : kFontFolders) {
      const std::string path = volume.name + "\\" + std::string(folder.path);
      // Pages as long as the printer makes them, until one adds nothing:
      // a printer may give fewer entries than asked for, or ignore ENTRY.
      std::set<std::string> seen;
      for (size_t entry = 1; files->size() < kMostFontFiles;) {
        const std::optional<std::vector<DirectoryEntry>> page =
            ListFolderPage(client, path, entry, kDirectoryPage, access);
        if (!page) return FailureOf(client);
        bool added = false;
        for (const DirectoryEntry& found : *page) {
          if (!seen.insert(found.name).second) continue;
          added = true;
          const bool dots = found.name == "." || found.name == "..";
          // A name with a quote in it cannot be named in a command: quoted,
          // it would end early and name another file (`a" b` deletes `a`).
          const bool quotable = found.name.find('"') == std::string::npos;
          if (!found.directory && !dots && quotable && files->size() < kMostFontFiles) {
            files->push_back({path + "\\" + found.name, 0, volume.location, &folder});
          }
        }
        if (!added) break;
        entry += page->size();
      }
    }
  }
  if (const PjlStatus status = access.Status(); status != PjlStatus::kAnswered) return status;
  std::sort(files->begin(), files->end(), [](const FontFile& a, const FontFile& b) { return a.path < b.path; });
  std::set<int32_t> taken;
  for (FontFile& file : *files) {
    file.index = FileIndex(file.path);
    while (!taken.insert(file.index).second) file.index = file.index == INT32_MAX ? kFirstFileIndex : file.index + 1;
  }
  return PjlStatus::kAnswered;
}

std::optional<std::string> Upload(PjlClient& client, std::string_view path, uint32_t offset, uint32_t size) {
  std::optional<std::string> reply = client.Exchange(UploadRequest(path, offset, size), size + 1024);
  if (!reply) return std::nullopt;
  std::optional<std::string_view> bytes = ReadUploadBytes(*reply);
  return bytes ? std::optional<std::string>(std::string(*bytes)) : std::nullopt;
}

void SetName(FontEntry& entry, std::string_view name) {
  std::snprintf(entry.name, sizeof entry.name, "%.*s", static_cast<int>(name.size()), name.data());
}

// The entry for one font file, named by its first bytes, else by its file
// name: a file on a volume is a download whatever it holds, and is listed
// so that it can be deleted. When the printer did not answer,
// client.failure() tells.
FontEntry DescribeFile(PjlClient& client, const FontFile& file) {
  std::optional<std::string> head = Upload(client, file.path, 0, kFontNameSearchBytes);
  FontFileName font = head ? ReadFontFileName(*head) : FontFileName{};
  FontEntry entry{};
  entry.fontId = font.pclFontId.value_or(kNoFontId);
  entry.index = file.index;
  entry.location = file.location;
  entry.persistence = kFontDownloaded;
  entry.fontType = font.type == FontFileType::kPcl          ? kFontTypePcl
                   : font.type == FontFileType::kPostScript ? kFontTypePostScript
                                                            : file.folder->typeOfTrueType;
  if (font.type == FontFileType::kTrueType) {
    if (std::optional<std::pair<uint32_t, uint32_t>> table = FindTrueTypeNameTable(*head)) {
      std::optional<std::string> bytes =
          Upload(client, file.path, table->first, std::min(table->second, kMostNameTableBytes));
      if (bytes) font.name = ReadTrueTypeName(*bytes).value_or("");
    }
  }
  SetName(entry, font.name.empty() ? std::string_view(file.path).substr(file.path.rfind('\\') + 1)
                                   : std::string_view(font.name));
  return entry;
}

// The languages INFO CONFIG lists.
std::set<std::string> LanguagesOf(PjlClient& client) {
  std::optional<std::string> reply = client.Exchange(PjlLine("INFO CONFIG"), kMostInfoBytes);
  if (!reply) return {};
  std::vector<std::string> options = ReadConfigOptions(*reply, "LANGUAGES");
  return {options.begin(), options.end()};
}

std::vector<FontEntry> InternalPclFonts(PjlClient& client) {
  // Location type 3 (internal), entity 4 (fonts, with names and IDs).
  std::optional<std::string> reply = client.Exchange(
      PjlLine("ENTER LANGUAGE=PCL") + "\x1B*s3T\x1B*s4I\x1B%-12345X", kMostReadbackBytes);
  std::vector<FontEntry> fonts;
  if (!reply) return fonts;
  for (const PclReadbackFont& font : ReadPclFontReadback(*reply)) {
    FontEntry entry{};
    SetName(entry, font.name);
    entry.fontId = font.fontId.value_or(kNoFontId);
    entry.index = kFirstPclIndex + static_cast<int32_t>(fonts.size());
    entry.location = kFontInRom;
    entry.fontType = kFontTypePcl;
    entry.persistence = kFontPermanent;
    fonts.push_back(entry);
  }
  return fonts;
}

// The PostScript fonts that are not among the font files already listed.
std::vector<FontEntry> InternalPostScriptFonts(PjlClient& client, const std::set<std::string>& onDisk) {
  // PostScript output has no form feed: the INFO ID reply after it marks
  // its end, also on a printer that answers the ECHO first.
  std::optional<std::string> reply = client.Exchange(
      PjlLine("ENTER LANGUAGE=POSTSCRIPT") + "(*) {cvn ==} 128 string /Font resourceforall\n\x04\x1B%-12345X" +
          PjlLine("INFO ID"),
      kMostReadbackBytes);
  std::vector<FontEntry> fonts;
  if (!reply) return fonts;
  std::vector<std::string> names = ReadPostScriptNames(*reply);
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  for (const std::string& name : names) {
    if (onDisk.count(name) != 0) continue;
    FontEntry entry{};
    SetName(entry, name);
    entry.fontId = kNoFontId;
    entry.index = kFirstPostScriptIndex + static_cast<int32_t>(fonts.size());
    entry.location = kFontInRom;
    entry.fontType = kFontTypePostScript;
    entry.persistence = kFontPermanent;
    fonts.push_back(entry);
  }
  return fonts;
}

// Paths of the deletions started, by printer and font index, for the polls.
std::mutex gStateMutex;
std::map<std::pair<uint32_t, int32_t>, std::string> gDeletions;
std::map<uint32_t, uint32_t> gPasswords;

}  // namespace

PjlFonts ReadPjlFonts(const PjlPrinter& printer) {
  PjlFonts result;
  std::unique_ptr<PjlClient> client = PjlClient::Open(printer.address, printer.password, printer.settings);
  if (!client) return result;
  std::vector<FontFile> files;
  result.status = ListFontFiles(*client, &files);
  if (result.status != PjlStatus::kAnswered) return result;
  std::set<std::string> fileFonts;
  for (const FontFile& file : files) {
    const FontEntry entry = DescribeFile(*client, file);
    if (client->failure() != PjlFailure::kNone) {
      result.status = FailureOf(*client);
      return result;
    }
    fileFonts.insert(entry.name);
    result.fonts.push_back(entry);
  }
  const size_t fileCount = result.fonts.size();
  const std::set<std::string> languages = LanguagesOf(*client);
  std::vector<FontEntry> pcl, postScript;
  if (languages.count("PCL") != 0) pcl = InternalPclFonts(*client);
  if (languages.count("POSTSCRIPT") != 0) postScript = InternalPostScriptFonts(*client, fileFonts);
  if (OverBounds(*client)) {
    result.status = FailureOf(*client);
    result.fonts.clear();
    return result;
  }
  result.fonts.insert(result.fonts.end(), pcl.begin(), pcl.end());
  result.fonts.insert(result.fonts.end(), postScript.begin(), postScript.end());
  std::sort(result.fonts.begin(), result.fonts.end(),
            [](const FontEntry& a, const FontEntry& b) { return a.index < b.index; });
  // Named by what gave the list its downloads, else its internal fonts.
  result.source = fileCount == 0 && !pcl.empty()        ? kFontSourcePclReadback
                  : fileCount == 0 && !postScript.empty() ? kFontSourcePostScript
                                                          : kFontSourcePjl;
  return result;
}

int32_t PjlFontSource(const PjlPrinter& printer) {
  std::unique_ptr<PjlClient> client = PjlClient::Open(printer.address, printer.password, printer.settings);
  if (!client) return kFontSourceNone;
  // The first entries of each font folder tell whether it holds a file;
  // a file system that is locked or ignores its commands gives no list.
  FolderAccess access;
  for (const Volume& volume : VolumesOf(*client)) {
    for (const FontFolder& folder : kFontFolders) {
      const std::string path = volume.name + "\\" + std::string(folder.path);
      const std::optional<std::vector<DirectoryEntry>> page = ListFolderPage(*client, path, 1, 4, access);
      if (!page) return kFontSourceNone;
      for (const DirectoryEntry& found : *page) {
        if (!found.directory) return kFontSourcePjl;
      }
    }
  }
  if (access.Status() != PjlStatus::kAnswered) return kFontSourceNone;
  const std::set<std::string> languages = LanguagesOf(*client);
  if (languages.count("PCL") != 0) return kFontSourcePclReadback;
  if (languages.count("POSTSCRIPT") != 0) return kFontSourcePostScript;
  return kFontSourceNone;
}

PjlStatus DeletePjlFont(const PjlPrinter& printer, int32_t index) {
  std::unique_ptr<PjlClient> client = PjlClient::Open(printer.address, printer.password, printer.settings);
  if (!client) return PjlStatus::kUnreachable;
  std::vector<FontFile> files;
  if (PjlStatus status = ListFontFiles(*client, &files); status != PjlStatus::kAnswered) return status;
  for (const FontFile& file : files) {
    if (file.index != index) continue;
    // A deletion answers nothing when it succeeds, a FILEERROR when it
    // fails; the FSQUERY after it always answers, so that a printer that
    // answers the echo first still has a reply to wait for. The first
    // reply decides: FSDELETE's error, else the query's (the file still
    // being there is for the polls to see out).
    std::optional<std::string> reply = client->Exchange(
        PjlLine("FSDELETE " + Quoted(file.path)) + PjlLine("FSQUERY " + Quoted(file.path)), kMostInfoBytes);
    if (!reply) return FailureOf(*client);
    const std::optional<int32_t> error = ReadFileSystemReply(*reply).fileError;
    if (error && *error != kFileNotFound) return PjlStatus::kRefused;
    std::lock_guard<std::mutex> lock(gStateMutex);
    gDeletions[{printer.address, index}] = file.path;
    return PjlStatus::kAnswered;
  }
  return PjlStatus::kRefused;
}

PjlDeletion QueryPjlFontDeletion(const PjlPrinter& printer, int32_t index) {
  std::string path;
  {
    std::lock_guard<std::mutex> lock(gStateMutex);
    auto found = gDeletions.find({printer.address, index});
    if (found == gDeletions.end()) return PjlDeletion::kNoAnswer;
    path = found->second;
  }
  std::unique_ptr<PjlClient> client = PjlClient::Open(printer.address, printer.password, printer.settings);
  std::optional<std::string> reply =
      client ? client->Exchange(PjlLine("FSQUERY " + Quoted(path)), kMostInfoBytes) : std::nullopt;
  if (!reply) return PjlDeletion::kNoAnswer;
  FileSystemReply query = ReadFileSystemReply(*reply);
  if (!query.answered) return PjlDeletion::kNoAnswer;
  if (query.fileError != kFileNotFound) return PjlDeletion::kPending;
  std::lock_guard<std::mutex> lock(gStateMutex);
  gDeletions.erase({printer.address, index});
  return PjlDeletion::kDeleted;
}

StoredFile QueryPjlStoredFile(const PjlPrinter& printer, std::string_view path, std::optional<uint64_t>* size) {
  if (size) size->reset();
  if (!Quotable(path)) return StoredFile::kUnknown;
  std::unique_ptr<PjlClient> client = PjlClient::Open(printer.address, printer.password, printer.settings);
  std::optional<std::string> reply =
      client ? client->Exchange(PjlLine("FSQUERY " + Quoted(path)), kMostInfoBytes) : std::nullopt;
  if (!reply) return StoredFile::kUnknown;
  const FileSystemReply query = ReadFileSystemReply(*reply);
  if (query.fileError) {
    return *query.fileError == kFileNotFound || *query.fileError == kVolumeNotAvailable ? StoredFile::kNotStored
                                                                                        : StoredFile::kUnknown;
  }
  if (query.type == "FILE") {
    if (size) *size = query.size;
    return StoredFile::kStored;
  }
  if (query.type == "DIR") return StoredFile::kNotStored;
  // Ignored without a word: file-system access is off.
  return StoredFile::kUnknown;
}

StoredFile UploadPjlFileHead(const PjlPrinter& printer, std::string_view path, uint32_t bytes, std::string* head) {
  constexpr size_t kReplyOverhead = 1024;  // the reply's header and marker
  head->clear();
  if (!Quotable(path)) return StoredFile::kUnknown;
  std::unique_ptr<PjlClient> client = PjlClient::Open(printer.address, printer.password, printer.settings);
  std::optional<std::string> reply =
      client ? client->Exchange(UploadRequest(path, 0, bytes), bytes + kReplyOverhead) : std::nullopt;
  if (!reply) return StoredFile::kUnknown;
  if (std::optional<std::string_view> uploaded = ReadUploadBytes(*reply)) {
    head->assign(uploaded->substr(0, bytes));
    return StoredFile::kStored;
  }
  return ReadFileSystemReply(*reply).fileError == kFileNotFound ? StoredFile::kNotStored : StoredFile::kUnknown;
}

std::optional<StorageInventory> QueryPjlStorage(const PjlPrinter& printer) {
  std::unique_ptr<PjlClient> client = PjlClient::Open(printer.address, printer.password, printer.settings);
  std::optional<std::string> reply = client ? client->Exchange(PjlLine("INFO FILESYS"), kMostInfoBytes) : std::nullopt;
  if (!reply) return std::nullopt;
  StorageInventory inventory;
  for (const FileSystemVolume& volume : ReadFileSystemTable(*reply)) {
    if (IsMemory(volume)) continue;
    if (inventory.areas.size() == kMostStorageAreas) break;
    StorageArea area;
    area.kind = IsFlash(volume) ? kStorageFlash : kStorageHardDisk;
    area.description = "PJL volume " + volume.volume;
    area.capacityBytes = volume.totalBytes;
    area.freeBytes = volume.freeBytes;
    area.writable = volume.writable;
    inventory.areas.push_back(area);
  }
  return inventory;
}

void SetPjlPassword(uint32_t address, uint32_t password) {
  std::lock_guard<std::mutex> lock(gStateMutex);
  if (password == 0) {
    gPasswords.erase(address);
  } else {
    gPasswords[address] = password;
  }
}

uint32_t PjlPasswordOf(uint32_t address) {
  std::lock_guard<std::mutex> lock(gStateMutex);
  auto found = gPasswords.find(address);
  return found == gPasswords.end() ? 0 : found->second;
}

}  // namespace glysnmp
