#include "snmp/announced_txt.h"

#include <cctype>

#include "snmp/contract/printer_languages.h"

namespace {

std::string Txt(const AnnouncedPrinter& printer, const char* key) {
  const auto found = printer.txt.find(key);
  return found == printer.txt.end() ? std::string() : found->second;
}

// The languages of a `pdl` list of MIME types.
uint32_t LanguagesOfPdl(const std::string& pdl) {
  const std::pair<const char*, uint32_t> kTypes[] = {{"application/vnd.hp-pclxl", kLanguagePclXl},
                                                     {"application/vnd.hp-pcl", kLanguagePcl},
                                                     {"application/postscript", kLanguagePostScript},
                                                     {"application/pdf", kLanguagePdf}};
  uint32_t languages = 0;
  size_t start = 0;
  while (start <= pdl.size()) {
    size_t comma = pdl.find(',', start);
    if (comma == std::string::npos) comma = pdl.size();
    std::string type = pdl.substr(start, comma - start);
    for (char& c : type) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const auto& [name, bit] : kTypes) {
      if (type == name) languages |= bit;
    }
    start = comma + 1;
  }
  return languages;
}

}  // namespace

std::string AnnouncedModel(const AnnouncedPrinter& printer) {
  if (std::string ty = Txt(printer, "ty"); !ty.empty()) return ty;
  std::string product = Txt(printer, "product");
  if (product.size() >= 2 && product.front() == '(' && product.back() == ')') product = product.substr(1, product.size() - 2);
  if (!product.empty()) return product;
  const std::string maker = Txt(printer, "usb_mfg");
  const std::string model = Txt(printer, "usb_mdl");
  return maker.empty() || model.empty() ? maker + model : maker + " " + model;
}

PrinterAbilities AnnouncedAbilities(const AnnouncedPrinter& printer) {
  PrinterAbilities abilities;
  abilities.languages = LanguagesOfPdl(Txt(printer, "pdl")) | LanguagesOfCommandSet(Txt(printer, "usb_cmd"));
  for (const AnnouncedService& service : printer.services) {
    SnmpChannel channel{kChannelOther, 0, 1};
    if (service.type == "_printer._tcp") channel.kind = kChannelLpd;
    if (service.type == "_pdl-datastream._tcp") channel.kind = kChannelRaw;
    if (service.type == "_ipp._tcp" || service.type == "_ipps._tcp") channel.kind = kChannelIpp;
    abilities.channels.push_back(channel);
  }
  return abilities;
}
