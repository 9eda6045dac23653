#include "postscript_queries.h"

#include <charconv>
#include <set>
#include <memory>
#include <vector>

#include "storage_volume.h"

namespace printer_sim {
namespace {

constexpr size_t kMostSteps = 100000;
constexpr size_t kMostStack = 500;
constexpr size_t kMostDepth = 32;
constexpr size_t kMostStringBytes = 4096;
constexpr size_t kMostOutputBytes = 1 << 20;
constexpr int64_t kBlockBytes = 1024;

struct Procedure;
struct Dictionary;

struct Object {
  enum Kind { kInteger, kBoolean, kString, kName, kProcedure, kDictionary } kind = kInteger;
  int64_t number = 0;  // kInteger, kBoolean
  std::string text;    // kString, kName
  std::shared_ptr<const Procedure> procedure;
  std::shared_ptr<const Dictionary> dictionary;
};

struct Token {
  bool executable = false;
  std::string name;  // an executable name
  Object literal;
};

struct Procedure {
  std::vector<Token> tokens;
};

struct Dictionary {
  std::vector<std::pair<std::string, Object>> entries;
};

struct Error {
  std::string name;
  std::string command;
};

Object Integer(int64_t n) { return {Object::kInteger, n, {}, nullptr, nullptr}; }
Object Boolean(bool b) { return {Object::kBoolean, b ? 1 : 0, {}, nullptr, nullptr}; }
Object String(std::string s) { return {Object::kString, 0, std::move(s), nullptr, nullptr}; }
Object Name(std::string s) { return {Object::kName, 0, std::move(s), nullptr, nullptr}; }

bool IsDelimiter(char c) {
  return std::string_view(" \t\r\n\f\0()<>[]{}/%", 16).find(c) != std::string_view::npos;
}

// Reads tokens one at a time, so that what comes before an error runs.
class Reader {
 public:
  explicit Reader(std::string_view source) : source_(source) {}

  bool Next(Token& token, size_t depth = 0) {
    SkipBlanks();
    if (at_ >= source_.size()) return false;
    const char c = source_[at_];
    if (c == '(') {
      token.literal = String(ReadString());
    } else if (c == '{') {
      if (depth >= kMostDepth) throw Error{"limitcheck", "--nostringval--"};
      ++at_;
      auto procedure = std::make_shared<Procedure>();
      for (;;) {
        SkipBlanks();
        if (at_ >= source_.size()) throw Error{"syntaxerror", "--nostringval--"};
        if (source_[at_] == '}') break;
        Token inner;
        Next(inner, depth + 1);
        procedure->tokens.push_back(std::move(inner));
        if (procedure->tokens.size() > kMostSteps) throw Error{"limitcheck", "--nostringval--"};
      }
      ++at_;
      token.literal = {Object::kProcedure, 0, {}, std::move(procedure), nullptr};
    } else if (c == '}' || c == ')') {
      throw Error{"syntaxerror", "--nostringval--"};
    } else if (c == '/') {
      ++at_;
      if (at_ < source_.size() && source_[at_] == '/') ++at_;
      token.literal = Name(ReadWord());
    } else {
      std::string word = IsDelimiter(c) ? std::string(1, source_[at_++]) : ReadWord();
      int64_t number = 0;
      auto [end, error] = std::from_chars(word.data() + (word[0] == '+'), word.data() + word.size(), number);
      if (error == std::errc() && end == word.data() + word.size()) {
        token.literal = Integer(number);
      } else {
        token.executable = true;
        token.name = std::move(word);
      }
    }
    return true;
  }

 private:
  void SkipBlanks() {
    while (at_ < source_.size()) {
      const char c = source_[at_];
      if (c == '%') {
        while (at_ < source_.size() && source_[at_] != '\n' && source_[at_] != '\r') ++at_;
      } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\0') {
        ++at_;
      } else {
        return;
      }
    }
  }

  std::string ReadWord() {
    const size_t start = at_;
    while (at_ < source_.size() && !IsDelimiter(source_[at_])) ++at_;
    return std::string(source_.substr(start, at_ - start));
  }

  // A string in parentheses: balanced inner parentheses, and the escapes.
  std::string ReadString() {
    std::string text;
    int open = 1;
    for (++at_; at_ < source_.size(); ++at_) {
      char c = source_[at_];
      if (c == '\\' && at_ + 1 < source_.size()) {
        c = source_[++at_];
        static const std::string_view kEscapes = "n\nr\rt\tb\bf\f";
        size_t escape = kEscapes.find(c);
        if (escape != std::string_view::npos && escape % 2 == 0) c = kEscapes[escape + 1];
        if (c == '\n') continue;
      } else if (c == '(') {
        ++open;
      } else if (c == ')' && --open == 0) {
        ++at_;
        return text;
      }
      if (text.size() == kMostStringBytes) throw Error{"limitcheck", "--nostringval--"};
      text.push_back(c);
    }
    throw Error{"syntaxerror", "--nostringval--"};
  }

  std::string_view source_;
  size_t at_ = 0;
};

// "*" matches any run of characters, "?" any one.
bool Matches(std::string_view pattern, std::string_view name) {
  size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

struct Device {
  const char* prefix;
  Volume volume;
};
constexpr Device kDevices[] = {{"%disk0%", Volume::kDisk}, {"%cartridge0%", Volume::kFlash}};

class Machine {
 public:
  explicit Machine(Printer& printer) : printer_(printer) {}

  std::string Run(std::string_view program) {
    Reader reader(program);
    try {
      Token token;
      while (reader.Next(token)) {
        Execute(token, 0);
        token = Token{};
      }
    } catch (const Error& error) {
      out_ += "%%[ Error: " + error.name + "; OffendingCommand: " + error.command + " ]%%\r\n" +
              "%%[ Flushing: rest of job (to end-of-file) will be ignored ]%%\r\n";
    }
    return std::move(out_);
  }

 private:
  void Execute(const Token& token, size_t depth) {
    if (++steps_ > kMostSteps) throw Error{"limitcheck", token.executable ? token.name : "--nostringval--"};
    if (!token.executable) return Push(token.literal, "--nostringval--");
    Operator(token.name, depth);
  }

  void Call(const Object& procedure, size_t depth) {
    if (depth >= kMostDepth) throw Error{"limitcheck", "--nostringval--"};
    for (const Token& token : procedure.procedure->tokens) Execute(token, depth + 1);
  }

  void Push(Object value, const std::string& command) {
    if (stack_.size() == kMostStack) throw Error{"stackoverflow", command};
    stack_.push_back(std::move(value));
  }

  Object Pop(const std::string& command, std::optional<Object::Kind> kind = std::nullopt) {
    if (stack_.empty()) throw Error{"stackunderflow", command};
    if (kind && stack_.back().kind != *kind) throw Error{"typecheck", command};
    Object value = std::move(stack_.back());
    stack_.pop_back();
    return value;
  }

  void Write(const std::string& text, const std::string& command) {
    if (out_.size() + text.size() > kMostOutputBytes) throw Error{"limitcheck", command};
    out_ += text;
  }

  static std::string Show(const Object& value, bool syntax) {
    switch (value.kind) {
      case Object::kInteger: return std::to_string(value.number);
      case Object::kBoolean: return value.number ? "true" : "false";
      case Object::kName: return (syntax ? "/" : "") + value.text;
      case Object::kString: {
        if (!syntax) return value.text;
        std::string shown = "(";
        for (char c : value.text) {
          if (c == '(' || c == ')' || c == '\\') shown.push_back('\\');
          shown.push_back(c);
        }
        return shown + ")";
      }
      case Object::kDictionary: return syntax ? "-dict-" : "--nostringval--";
      case Object::kProcedure: return "--nostringval--";
    }
    return {};
  }

  void Operator(const std::string& name, size_t depth) {
    if (name == "dup") {
      Object top = Pop(name);
      Push(top, name);
      Push(top, name);
    } else if (name == "pop") {
      Pop(name);
    } else if (name == "exch") {
      Object top = Pop(name), below = Pop(name);
      Push(top, name);
      Push(below, name);
    } else if (name == "==" || name == "=") {
      Write(Show(Pop(name), name == "==") + "\n", name);
    } else if (name == "print") {
      Write(Pop(name, Object::kString).text, name);
    } else if (name == "flush") {
    } else if (name == "true" || name == "false") {
      Push(Boolean(name == "true"), name);
    } else if (name == "cvn") {
      Push(Name(Pop(name, Object::kString).text), name);
    } else if (name == "string") {
      Object size = Pop(name, Object::kInteger);
      if (size.number < 0 || size.number > static_cast<int64_t>(kMostStringBytes)) throw Error{"rangecheck", name};
      Push(String(std::string(static_cast<size_t>(size.number), '\0')), name);
    } else if (name == "get" || name == "known") {
      Object key = Pop(name, Object::kName);
      Object dictionary = Pop(name, Object::kDictionary);
      const Object* found = nullptr;
      for (const auto& [entry, value] : dictionary.dictionary->entries) {
        if (entry == key.text) found = &value;
      }
      if (name == "known") return Push(Boolean(found != nullptr), name);
      if (!found) throw Error{"undefined", name};
      Push(*found, name);
    } else if (name == "forall") {
      Object procedure = Pop(name, Object::kProcedure);
      Object dictionary = Pop(name, Object::kDictionary);
      for (const auto& [entry, value] : dictionary.dictionary->entries) {
        Push(Name(entry), name);
        Push(value, name);
        Call(procedure, depth);
      }
    } else if (name == "FontDirectory") {
      Push(FontDirectory(), name);
    } else if (name == "resourceforall") {
      Object category = Pop(name, Object::kName);
      Object scratch = Pop(name, Object::kString);
      Object procedure = Pop(name, Object::kProcedure);
      Object pattern = Pop(name, Object::kString);
      if (category.text == "Form") {
        const std::set<std::string> forms = printer_.StoredFormNames();
        Enumerate({forms.begin(), forms.end()}, pattern.text, scratch, procedure, depth, name);
        return;
      }
      if (category.text != "Font") throw Error{"undefined", name};
      Enumerate(PostScriptFontNames(false), pattern.text, scratch, procedure, depth, name);
    } else if (name == "filenameforall") {
      Object scratch = Pop(name, Object::kString);
      Object procedure = Pop(name, Object::kProcedure);
      Object pattern = Pop(name, Object::kString);
      Enumerate(FileNames(!pattern.text.empty() && pattern.text[0] == '%'), pattern.text, scratch, procedure,
                depth, name);
    } else if (name == "currentdevparams") {
      Push(DeviceParameters(Pop(name, Object::kString).text), name);
    } else if (name == "deletefile") {
      DeleteFile(Pop(name, Object::kString).text);
    } else {
      throw Error{"undefined", name};
    }
  }

  void Enumerate(const std::vector<std::string>& names, const std::string& pattern, const Object& scratch,
                 const Object& procedure, size_t depth, const std::string& command) {
    for (const std::string& found : names) {
      if (!Matches(pattern, found)) continue;
      if (found.size() > scratch.text.size()) throw Error{"rangecheck", command};
      Push(String(found), command);
      Call(procedure, depth);
    }
  }

  std::vector<std::string> PostScriptFontNames(bool internalOnly) {
    printer_.FinishDueDeletions();
    std::vector<std::string> names;
    for (const Font& font : printer_.Fonts()) {
      if (font.type == kTypePostScript && (!internalOnly || font.location == kLocationRom)) names.push_back(font.name);
    }
    return names;
  }

  // Fonts on disk are loaded when used: only the ROM fonts are in memory.
  Object FontDirectory() {
    auto dictionary = std::make_shared<Dictionary>();
    for (const std::string& font : PostScriptFontNames(true)) {
      auto fontDictionary = std::make_shared<Dictionary>();
      fontDictionary->entries.push_back({"FontName", Name(font)});
      fontDictionary->entries.push_back({"FontType", Integer(1)});
      dictionary->entries.push_back({font, {Object::kDictionary, 0, {}, nullptr, std::move(fontDictionary)}});
    }
    return {Object::kDictionary, 0, {}, nullptr, std::move(dictionary)};
  }

  // Every file of every volume, "%disk0%fonts/Name" or, without the
  // devices, "fonts/Name".
  std::vector<std::string> FileNames(bool withDevice) const {
    std::vector<std::string> names;
    for (const Device& device : kDevices) {
      const StorageVolume* volume = printer_.FindVolume(device.volume);
      if (!volume) continue;
      std::vector<std::string> folders = {""};
      for (size_t i = 0; i < folders.size(); ++i) {
        for (const StorageVolume::Entry& entry : volume->List(folders[i])) {
          std::string path = folders[i].empty() ? entry.name : folders[i] + "/" + entry.name;
          if (entry.directory) {
            folders.push_back(path);
          } else {
            names.push_back(withDevice ? device.prefix + path : path);
          }
        }
      }
    }
    return names;
  }

  Object DeviceParameters(const std::string& device) const {
    for (const Device& known : kDevices) {
      const StorageVolume* volume = printer_.FindVolume(known.volume);
      if (device != known.prefix || !volume) continue;
      auto parameters = std::make_shared<Dictionary>();
      const int64_t blocks = static_cast<int64_t>(volume->capacity()) / kBlockBytes;
      parameters->entries = {{"Type", Name("FileSystem")},
                             {"Mounted", Boolean(true)},
                             {"HasNames", Boolean(true)},
                             {"Searchable", Boolean(true)},
                             {"Writeable", Boolean(true)},
                             {"BlockSize", Integer(kBlockBytes)},
                             {"Free", Integer(static_cast<int64_t>(volume->free()) / kBlockBytes)},
                             {"LogicalSize", Integer(blocks)},
                             {"PhysicalSize", Integer(blocks)}};
      return {Object::kDictionary, 0, {}, nullptr, std::move(parameters)};
    }
    throw Error{"undefined", "currentdevparams"};
  }

  void DeleteFile(const std::string& name) {
    for (const Device& device : kDevices) {
      const std::string prefix = device.prefix;
      const bool named = name.compare(0, prefix.size(), prefix) == 0;
      if (!named && !name.empty() && name[0] == '%') continue;
      const StorageVolume* volume = printer_.FindVolume(device.volume);
      std::optional<std::string> path = NormalizeVolumePath(named ? name.substr(prefix.size()) : name);
      if (!volume || !path || !volume->HasFile(*path)) continue;
      JobStep step;
      step.kind = JobStep::kDeleteFile;
      step.volume = device.volume;
      step.path = *path;
      printer_.Apply(step);
      printer_.Log("PostScript deletefile removed " + name);
      return;
    }
    throw Error{"undefinedfilename", "deletefile"};
  }

  Printer& printer_;
  std::vector<Object> stack_;
  std::string out_;
  size_t steps_ = 0;
};

}  // namespace

std::string AnswerPostScriptQueries(std::string_view program, Printer& printer) {
  return Machine(printer).Run(program);
}

}  // namespace printer_sim
