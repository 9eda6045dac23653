#include "snmp_personality.h"

#include <map>

namespace printer_sim {

void UseRealPrinterDefaults(SnmpPersonality& personality) {
  personality.fontMib = false;
  personality.storageReport = StorageReport::kDeviceTable;
  personality.printerMib = true;
}

namespace {

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : text + ",") {
    if (c == ',') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else if (c != ' ') {
      word += c;
    }
  }
  return words;
}

}  // namespace

bool ParseLanguages(const std::string& text, std::vector<int32_t>& languages) {
  static const std::map<std::string, int32_t> kFamilies = {
      {"pcl", 3}, {"hpgl", 4}, {"pjl", 5}, {"postscript", 6}, {"pclxl", 47}, {"pdf", 54}};
  std::vector<int32_t> parsed;
  for (const std::string& word : Words(text)) {
    auto family = kFamilies.find(word);
    if (family == kFamilies.end()) return false;
    parsed.push_back(family->second);
  }
  languages = parsed;
  return true;
}

bool ParseChannels(const std::string& text, std::vector<SimChannel>& channels) {
  static const std::map<std::string, int32_t> kTypes = {{"lpd", 8}, {"raw", 11}, {"appsocket", 12}, {"ipp", 44}};
  std::vector<SimChannel> parsed;
  for (std::string word : Words(text)) {
    bool enabled = true;
    if (word.ends_with(":off")) {
      word.resize(word.size() - 4);
      enabled = false;
    }
    auto type = kTypes.find(word);
    if (type == kTypes.end()) return false;
    parsed.push_back({type->second, enabled});
  }
  channels = parsed;
  return true;
}

}  // namespace printer_sim
