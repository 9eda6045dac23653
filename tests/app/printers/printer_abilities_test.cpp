// What a printer speaks and where it takes jobs, as its SNMP answers and its
// DNS-SD announcement tell, and what a download makes of it.
#include <gtest/gtest.h>

#include "printers/printer_abilities.h"
#include "printers/printer_settings.h"
#include "snmp/announced_txt.h"
#include "snmp/contract/printer_languages.h"

namespace {

SnmpChannel Channel(SnmpChannelKind kind, bool enabled) { return {kind, 0, enabled ? 1u : 0u}; }

TEST(PrinterAbilities, OnlyAPrinterThatNamesPageLanguagesIsHeldToThem) {
  const PrinterAbilities pclXlOnly{kLanguagePjl | kLanguagePclXl, {}};
  EXPECT_STREQ(LanguageRefusal(pclXlOnly, ResourceLanguage::kPcl), kNoPclText);  // XL takes no PCL 5 fonts
  EXPECT_STREQ(LanguageRefusal(pclXlOnly, ResourceLanguage::kPostScript), kNoPostScriptText);
  EXPECT_EQ(LanguageRefusal({kLanguagePjl | kLanguageOther, {}}, ResourceLanguage::kPostScript), nullptr);
  EXPECT_EQ(LanguageRefusal({}, ResourceLanguage::kPcl), nullptr);
  EXPECT_EQ(LanguageRefusal({kLanguagePostScript, {}}, ResourceLanguage::kUnknown), nullptr);
}

TEST(PrinterAbilities, TheDefaultPortIsTheFirstEnabledOfLprRawIppAndAChosenOneWins) {
  const PrinterAbilities lpdOff{0, {Channel(kChannelIpp, true), Channel(kChannelLpd, false), Channel(kChannelRaw, true)}};
  EXPECT_EQ(DefaultJobPort(lpdOff), JobPort::Raw);
  EXPECT_EQ(DefaultJobPort({0, {Channel(kChannelOther, true), Channel(kChannelIpp, true)}}), JobPort::Ipp);
  EXPECT_EQ(DefaultJobPort({0, {Channel(kChannelRaw, false)}}), std::nullopt);

  RunPrinterAbilities().Set(0x7f000063, lpdOff);
  PrinterSettingsStore settings;
  EXPECT_EQ(settings.Get(0x7f000063).port, JobPort::Raw);
  settings.Set(0x7f000063, {JobPort::Lpr, true});
  EXPECT_EQ(settings.Get(0x7f000063).port, JobPort::Lpr);
  RunPrinterAbilities().Clear();
}

TEST(PrinterAbilities, CommandSetsAndAnnouncementsNameTheirLanguages) {
  EXPECT_EQ(LanguagesOfCommandSet(" pjl , PCL5E,PCL6, BR-Script3 ,MLC"),
            kLanguagePjl | kLanguagePcl | kLanguagePclXl | kLanguagePostScript | kLanguageOther);
  EXPECT_EQ(LanguagesOfCommandSet(",,"), 0u);

  AnnouncedPrinter printer;
  printer.txt = {{"pdl", "application/octet-stream,Application/PDF,application/vnd.hp-PCLXL"},
                 {"usb_cmd", "PJL"},
                 {"product", "(Ostrel Both 30)"},
                 {"usb_mfg", "Ostrel"}};
  printer.services = {{"_ipps._tcp", 631}, {"_printer._tcp", 515}};
  const PrinterAbilities abilities = AnnouncedAbilities(printer);
  EXPECT_EQ(abilities.languages, kLanguagePdf | kLanguagePclXl | kLanguagePjl);
  EXPECT_EQ(ChannelsText(abilities.channels), "IPP, LPD");
  EXPECT_EQ(AnnouncedModel(printer), "Ostrel Both 30");
  printer.txt.erase("product");
  printer.txt["usb_mdl"] = "Raw 10";
  EXPECT_EQ(AnnouncedModel(printer), "Ostrel Raw 10");
}

TEST(PrinterAbilities, EachAddressIsOneAnnouncedPrinterWithItsFirstTxtValues) {
  std::map<uint32_t, AnnouncedPrinter> printers;
  FileAnnouncedService(printers, 7, "Both", {"_ipp._tcp", 631}, {{"ty", "First"}});
  FileAnnouncedService(printers, 7, "Both again", {"_pdl-datastream._tcp", 9100}, {{"ty", "Second"}, {"pdl", "x"}});
  FileAnnouncedService(printers, 7, "Both", {"_ipp._tcp", 631}, {});
  ASSERT_EQ(printers.size(), 1u);
  EXPECT_EQ(printers[7].name, "Both");
  EXPECT_EQ(printers[7].services.size(), 2u);
  EXPECT_EQ(printers[7].txt.at("ty"), "First");
  EXPECT_EQ(printers[7].txt.at("pdl"), "x");
}

}  // namespace
