#include "printers/printer_abilities.h"

namespace {

// The languages a page is described in; PJL and the others only frame or
// accompany them.
constexpr uint32_t kPageLanguages = kLanguagePcl | kLanguagePclXl | kLanguagePostScript | kLanguagePdf;

}  // namespace

bool PrinterAbilities::operator==(const PrinterAbilities& other) const {
  if (languages != other.languages || channels.size() != other.channels.size()) return false;
  for (size_t i = 0; i < channels.size(); ++i) {
    const SnmpChannel& a = channels[i];
    const SnmpChannel& b = other.channels[i];
    if (a.kind != b.kind || a.type != b.type || a.enabled != b.enabled) return false;
  }
  return true;
}

PrinterAbilities Completed(PrinterAbilities primary, const PrinterAbilities& fallback) {
  if (primary.languages == 0) primary.languages = fallback.languages;
  if (primary.channels.empty()) primary.channels = fallback.channels;
  return primary;
}

const char* LanguageRefusal(const PrinterAbilities& abilities, ResourceLanguage language) {
  if ((abilities.languages & kPageLanguages) == 0) return nullptr;
  switch (language) {
    case ResourceLanguage::kPostScript:
      return abilities.languages & kLanguagePostScript ? nullptr : kNoPostScriptText;
    case ResourceLanguage::kPcl: return abilities.languages & kLanguagePcl ? nullptr : kNoPclText;
    case ResourceLanguage::kUnknown: return nullptr;
  }
  return nullptr;
}

std::optional<JobPort> DefaultJobPort(const PrinterAbilities& abilities) {
  const std::pair<SnmpChannelKind, JobPort> kPreferred[] = {
      {kChannelLpd, JobPort::Lpr}, {kChannelRaw, JobPort::Raw}, {kChannelIpp, JobPort::Ipp}};
  for (const auto& [kind, port] : kPreferred) {
    for (const SnmpChannel& channel : abilities.channels)
      if (channel.kind == kind && channel.enabled) return port;
  }
  return std::nullopt;
}

std::string LanguagesText(uint32_t languages) {
  const std::pair<SnmpLanguage, const char*> kNames[] = {{kLanguagePjl, "PJL"},
                                                         {kLanguagePcl, "PCL"},
                                                         {kLanguagePclXl, "PCL XL"},
                                                         {kLanguagePostScript, "PostScript"},
                                                         {kLanguagePdf, "PDF"},
                                                         {kLanguageOther, "other"}};
  std::string text;
  for (const auto& [bit, name] : kNames) {
    if (languages & bit) text += (text.empty() ? "" : ", ") + std::string(name);
  }
  return text;
}

std::string ChannelsText(const std::vector<SnmpChannel>& channels) {
  std::string text;
  for (const SnmpChannel& channel : channels) {
    if (!text.empty()) text += ", ";
    switch (channel.kind) {
      case kChannelLpd: text += "LPD"; break;
      case kChannelRaw: text += "raw"; break;
      case kChannelIpp: text += "IPP"; break;
      default: text += "type " + std::to_string(channel.type); break;
    }
    if (!channel.enabled) text += " (off)";
  }
  return text;
}

PrinterAbilitiesStore& RunPrinterAbilities() {
  static PrinterAbilitiesStore store;
  return store;
}
