#include "printer_abilities.h"

#include <map>
#include <string>
#include <vector>

#include "answer_values.h"
#include "ieee1284_device_id.h"
#include "printer_languages.h"
#include "table_walk.h"

namespace glysnmp {
namespace {

// Values of the Printer MIB's PrtInterpreterLangFamilyTC used here.
enum LangFamily : int32_t {
  kLangPcl = 3,
  kLangPjl = 5,
  kLangPs = 6,
  kLangPsPrinter = 42,
  kLangPclXl = 47,
  kLangPdf = 54,
};

// PrtChannelTypeTC and PrtChannelStateTC.
enum ChannelType : int32_t { kChLpdServer = 8, kChPort9100 = 11, kChAppSocket = 12, kChIpp = 44 };
constexpr int32_t kNoDataAccepted = 4;

// The instance part of a column's name: the table row, which may take
// more than one number (prtChannelTable rows are hrDeviceIndex.prtChannelIndex).
std::vector<oid> RowOf(const netsnmp_variable_list& value, size_t columnLength) {
  return std::vector<oid>(value.name + columnLength, value.name + value.name_length);
}

bool ReadChannels(Session& session, SnmpPrinterAbilities* abilities) {
  struct Row {
    std::optional<int32_t> type, state;
  };
  std::map<std::vector<oid>, Row> rows;
  const std::vector<Oid> columns = {oids::kPrtChannelType, oids::kPrtChannelState};
  const WalkEnd end = WalkColumns(session, columns, std::nullopt, [&](size_t column, const netsnmp_variable_list& value) {
    if (rows.size() >= kSnmpMostChannels && !rows.contains(RowOf(value, columns[column].size()))) return true;
    Row& row = rows[RowOf(value, columns[column].size())];
    (column == 0 ? row.type : row.state) = ReadInteger(value);
    return true;
  });
  for (const auto& [index, row] : rows) {
    if (row.type) abilities->channels[abilities->channelCount++] = ChannelOf(*row.type, row.state);
  }
  return end != WalkEnd::kSilent;
}

bool ReadInterpreters(Session& session, SnmpPrinterAbilities* abilities) {
  const WalkEnd end =
      WalkColumns(session, {oids::kPrtInterpreterLangFamily}, std::nullopt, [&](size_t, const netsnmp_variable_list& value) {
        if (std::optional<int32_t> family = ReadInteger(value)) abilities->languages |= LanguageOfFamily(*family);
        return true;
      });
  return end != WalkEnd::kSilent;
}

bool ReadCommandSet(Session& session, SnmpPrinterAbilities* abilities) {
  Pdu answer = session.Exchange(MakeRequest(SNMP_MSG_GETNEXT, {oids::kPpmPrinterIeee1284DeviceId}));
  if (!answer) return false;
  if (answer->errstat != SNMP_ERR_NOERROR || answer->variables == nullptr) return true;
  const netsnmp_variable_list& value = *answer->variables;
  if (IsException(value) || !IsUnder(value.name, value.name_length, oids::kPpmPrinterIeee1284DeviceId)) return true;
  char text[kMostDeviceIdBytes + 1];
  if (ReadText(value, text)) abilities->languages |= LanguagesOfCommandSet(ParseDeviceId(text).commandSet);
  return true;
}

}  // namespace

uint32_t LanguageOfFamily(int32_t family) {
  switch (family) {
    case kLangPcl: return kLanguagePcl;
    case kLangPclXl: return kLanguagePclXl;
    case kLangPjl: return kLanguagePjl;
    case kLangPs:
    case kLangPsPrinter: return kLanguagePostScript;
    case kLangPdf: return kLanguagePdf;
    default: return kLanguageOther;
  }
}

SnmpChannel ChannelOf(int32_t type, std::optional<int32_t> state) {
  SnmpChannel channel{};
  channel.type = type;
  switch (type) {
    case kChLpdServer: channel.kind = kChannelLpd; break;
    case kChPort9100:
    case kChAppSocket: channel.kind = kChannelRaw; break;
    case kChIpp: channel.kind = kChannelIpp; break;
    default: channel.kind = kChannelOther; break;
  }
  channel.enabled = state == kNoDataAccepted ? 0 : 1;
  return channel;
}

std::optional<SnmpPrinterAbilities> QueryPrinterAbilities(Session& session) {
  SnmpPrinterAbilities abilities{};
  // The first silence ends it: a printer that does not answer is not
  // waited for three times.
  if (!ReadInterpreters(session, &abilities)) return std::nullopt;
  if (ReadChannels(session, &abilities)) ReadCommandSet(session, &abilities);
  return abilities;
}

}  // namespace glysnmp
