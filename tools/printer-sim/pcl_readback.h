// PCL status readback on the AppSocket channel. "ESC*s#T" sets the
// location type (1 currently selected, 2 all locations, 3 internal,
// 4 downloaded, 5 cartridge, 7 ROM SIMMs), "ESC*s#U" the location unit
// (for downloaded entities 0 all, 1 temporary, 2 permanent), and
// "ESC*s#I" asks for an entity at that location (0 fonts, 1 macros,
// 2 patterns, 3 symbol sets, 4 fonts extended). The answer, each line
// ending in CR LF, the whole in a form feed; "<Esc>" stands for the
// escape character as five printable characters:
//
//   PCL
//   INFO FONTS | INFO FONTS EXTENDED | INFO MACROS | INFO PATTERNS | INFO SYMBOLSETS
//   SELECT="<Esc>(s0p__h0s0b4099T"          one per font: how to select it; a
//   SYMBOLSETS="0N,8U,10U,19U"              downloaded one ends in "<Esc>(<font ID>X"
//   DEFID="I 0"                             extended only: I internal, S downloaded
//   NAME="Courier"                          extended only
//   LOCTYPE=3 / LOCUNIT=1                   location type 1 only
//   IDLIST="1,3,8"                          macros: their IDs
//   ERROR=NONE | ERROR=INVALID LOCATION | ERROR=INVALID ENTITY
//
// The internal fonts are the printer's ROM PCL fonts, the downloaded ones
// the PCL fonts on its volumes; macros are those PCL data defined
// ("ESC&f#Y" then "ESC&f0X"; "ESC&f8X" deletes one, "ESC&f6X" and
// "ESC&f7X" all) and those stored in a volume's "pcl\macros" folder under
// their ID.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "printer.h"

namespace printer_sim {

class PclReadback {
 public:
  // Reads a PCL job for its readback and macro commands and appends the
  // answers to `reply`; true when the job also holds text to print.
  bool Run(std::string_view data, Printer& printer, std::string& reply);

 private:
  void Command(char parameterized, char group, char parameter, int32_t value, Printer& printer,
               std::string& reply);
  void Inquire(int32_t entity, Printer& printer, std::string& reply) const;

  int32_t locationType_ = 0;
  int32_t locationUnit_ = 0;
  int32_t macroId_ = 0;
};

}  // namespace printer_sim
