#include "pcl_soft_font_checker.h"

#include <algorithm>
#include <cctype>
#include <set>

std::uint16_t BigEndian16(const std::string& bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes.at(offset)) << 8 |
                                    static_cast<std::uint8_t>(bytes.at(offset + 1)));
}

std::uint32_t BigEndian32(const std::string& bytes, std::size_t offset) {
  return std::uint32_t{BigEndian16(bytes, offset)} << 16 | BigEndian16(bytes, offset + 2);
}

namespace {

constexpr char kEscape = 0x1B;
constexpr std::size_t kMinDescriptor = 72;

struct Command {
  std::string name;  // parameter, group and terminator: ")sW", "*cE", "(sW"
  long value = 0;
  std::string data;  // the bytes a W command carries
};

// One escape sequence at pos. Values here are plain decimal numbers; a W
// command's count must be met by the bytes that follow.
std::string ReadCommand(const std::string& bytes, std::size_t& pos, Command& command) {
  if (bytes[pos] != kEscape || pos + 3 >= bytes.size()) return "no escape sequence at " + std::to_string(pos);
  command.name = bytes.substr(pos + 1, 2);
  pos += 3;
  const std::size_t digits = pos;
  while (pos < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[pos]))) ++pos;
  if (pos == digits || pos - digits > 9 || pos == bytes.size()) return "bad value in " + command.name;
  command.value = std::stol(bytes.substr(digits, pos - digits));
  command.name += bytes[pos++];
  command.data.clear();
  if (command.name.back() == 'W') {
    // Only a format 16 font header may be longer (checked once it is read).
    if (command.value > 32767 && (command.name != ")sW" || command.value > 0x7FFFFFFF))
      return command.name + " value over 32767";
    if (bytes.size() - pos < static_cast<std::size_t>(command.value)) return command.name + " cut short";
    command.data = bytes.substr(pos, static_cast<std::size_t>(command.value));
    pos += command.data.size();
  }
  return {};
}

int Sum(const std::string& bytes, std::size_t from, std::size_t to) {
  int sum = 0;
  for (std::size_t i = from; i < to; ++i) sum += static_cast<std::uint8_t>(bytes[i]);
  return sum;
}

std::uint32_t TableChecksum(const std::string& tag, std::string table) {
  if (tag == "head" && table.size() >= 12) table.replace(8, 4, 4, '\0');
  table.resize((table.size() + 3) / 4 * 4, '\0');
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < table.size(); i += 4) sum += BigEndian32(table, i);
  return sum;
}

std::string ParseGlobalTrueType(const std::string& gt, PclTrueTypeFont& font) {
  if (gt.size() < 12 || BigEndian32(gt, 0) != 0x00010000) return "GT: no sfnt directory";
  const int count = BigEndian16(gt, 4);
  int power = 1, log2 = 0;
  while (power * 2 <= count) power *= 2, ++log2;
  if (BigEndian16(gt, 6) != power * 16 || BigEndian16(gt, 8) != log2 ||
      BigEndian16(gt, 10) != count * 16 - power * 16)
    return "GT: search fields do not fit the table count";
  if (gt.size() < 12 + 16u * count) return "GT: directory cut short";
  std::string previous;
  for (int i = 0; i < count; ++i) {
    const std::size_t entry = 12 + 16u * i;
    const std::string tag = gt.substr(entry, 4);
    const std::uint32_t offset = BigEndian32(gt, entry + 8), length = BigEndian32(gt, entry + 12);
    if (tag <= previous) return "GT: tables not in tag order at " + tag;
    previous = tag;
    if (offset > gt.size() || length > gt.size() - offset) return "GT: table " + tag + " outside the segment";
    if (length > 0 && (offset % 4 != 0 || offset < 12 + 16u * count)) return "GT: table " + tag + " misplaced";
    font.globalTables[tag] = gt.substr(offset, length);
    if (TableChecksum(tag, font.globalTables[tag]) != BigEndian32(gt, entry + 4)) return "GT: checksum of " + tag;
  }
  for (const char* required : {"gdir", "head", "hhea", "hmtx", "maxp"}) {
    if (font.globalTables.count(required) == 0) return std::string("GT: no ") + required;
  }
  if (!font.globalTables["gdir"].empty()) return "GT: gdir not empty";
  if (font.globalTables.count("glyf") + font.globalTables.count("loca") > 0) return "GT: carries glyph data";
  return {};
}

std::string CheckDescriptor(const PclTrueTypeFont& font) {
  const std::string& h = font.header;
  const int fontType = font.Field8(3);
  const int style = font.Field8(4) << 8 | font.Field8(23);
  const int symbolSet = font.Field16(14);
  const int firstCode = font.Field16(36), lastCode = font.Field16(38);
  if (font.Field8(2) != 15 && font.Field8(2) != 16) return "header format is not 15 or 16";
  if (fontType > 2 && fontType != 10 && fontType != 11) return "font type is neither bound nor unbound";
  if (font.Field8(5) != 0 || font.Field16(6) != 0 || font.Field8(12) != 0)
    return "reserved, baseline or orientation not 0";
  if (style > 1023 || (style & 3) == 3) return "style out of range";
  if (font.Field8(13) > 1) return "spacing is not 0 or 1";
  if (symbolSet % 32 < 1 || symbolSet % 32 > 26) return "symbol set has no letter A-Z";
  if (font.Field16(16) == 0 || font.Field16(18) != 0) return "pitch 0 or height not 0";
  if (font.Signed8(22) < -5 || font.Signed8(22) > 5) return "width type out of range";
  if (font.Signed8(24) < -7 || font.Signed8(24) > 7) return "stroke weight out of range";
  if ((font.Field8(27) & 0x3F) > 12 || font.Field8(27) >> 6 == 3) return "serif style out of range";
  if (font.Field8(28) > 2 || font.Field8(29) != 0 || font.Field8(30) != 0 || font.Field8(31) != 0)
    return "quality, placement or underline out of range";
  if (font.Field16(32) == 0) return "text height 0";
  // An unbound font's last code field holds its number of characters.
  const int lowest = fontType == 2 ? 0 : 32, highest = fontType == 0 ? 127 : 255;
  if (!font.Unbound() && (firstCode < lowest || lastCode > highest || firstCode > lastCode))
    return "first or last code out of range";
  if (font.Field8(40) != 0 || font.Field8(41) != 0) return "pitch or height extended not 0";
  for (std::size_t i = 48; i < 64; ++i) {
    if (h[i] < 0x20 || h[i] > 0x7E) return "font name not printable";
  }
  if (font.Field16(64) == 0 || font.Field16(68) == 0) return "scale factor or underline thickness 0";
  if (font.Field8(70) != 1 || font.Field8(71) != 0) return "scaling technology or variety wrong";
  return {};
}

std::string ParseHeader(const std::string& header, PclTrueTypeFont& font) {
  font.header = header;
  if (header.size() < kMinDescriptor + 6) return "font header too short";
  const std::size_t descriptorSize = font.Field16(0);
  if (descriptorSize < kMinDescriptor || descriptorSize > header.size() - 6) return "descriptor size out of range";
  if (const std::string fault = CheckDescriptor(font); !fault.empty()) return fault;
  font.name = header.substr(48, 16);
  font.name.erase(font.name.find_last_not_of(' ') + 1);

  static const std::set<std::string> kKnown = {"CC", "CE", "CP", "GC", "GT", "IF",
                                               "PA", "PF", "TF", "VR", "VT", "XW"};
  const bool longSizes = font.Field8(2) == 16;
  const std::size_t sizeBytes = longSizes ? 4 : 2;
  if (!longSizes && header.size() > 32767) return "format 15 header over 32767 bytes";
  std::size_t pos = descriptorSize;
  for (;;) {
    if (pos + 2 + sizeBytes > header.size()) return "segments run past the header";
    const int id = BigEndian16(header, pos);
    const std::size_t size = longSizes ? BigEndian32(header, pos + 2) : BigEndian16(header, pos + 2);
    pos += 2 + sizeBytes;
    if (id == 0xFFFF) {
      if (size != 0) return "null segment with data";
      break;
    }
    const std::string mnemonic = header.substr(pos - 2 - sizeBytes, 2);
    if (kKnown.count(mnemonic) == 0 || font.segments.count(mnemonic) > 0)
      return "unknown or repeated segment " + mnemonic;
    if (size > header.size() - pos) return "segment " + mnemonic + " runs past the header";
    font.segments[mnemonic] = header.substr(pos, size);
    pos += size;
  }
  if (pos != header.size() - 2) return "bytes between the null segment and the checksum";
  if (header[pos] != 0) return "reserved byte not 0";
  if (Sum(header, 64, header.size()) % 256 != 0) return "header checksum wrong";
  if (font.segments.count("PA") > 0 && font.segments["PA"].size() != 10) return "PANOSE segment not 10 bytes";
  if (font.segments.count("CC") > 0 && font.segments["CC"].size() != 8) return "character complement not 8 bytes";
  if (font.Unbound() && font.segments.count("CC") == 0) return "unbound font without character complement";
  // Bits 2-0 tell the symbol index the font is arranged in: 111 MSL, 110 Unicode.
  if (font.Unbound() && (font.segments["CC"].back() & 7) != (font.Field8(3) == 10 ? 7 : 6))
    return "character complement does not name the font type's symbol index";
  if (font.segments.count("GT") == 0) return "no GT segment";
  return ParseGlobalTrueType(font.segments["GT"], font);
}

}  // namespace

std::string ParsePclTrueTypeFont(const std::string& bytes, PclTrueTypeFont& font) {
  std::size_t pos = 0;
  Command command;
  if (bytes.empty()) return "empty";
  if (auto fault = ReadCommand(bytes, pos, command); !fault.empty()) return fault;
  if (command.name != ")sW") return "does not open with a font header";
  if (auto fault = ParseHeader(command.data, font); !fault.empty()) return fault;

  const int firstCode = font.Field16(36), lastCode = font.Field16(38);
  std::set<int> codes;
  int code = -1;
  std::string stream;      // the current character's data across its blocks
  std::size_t needed = 0;  // bytes the stream still lacks
  while (pos < bytes.size()) {
    if (auto fault = ReadCommand(bytes, pos, command); !fault.empty()) return fault;
    const std::string where = " (code " + std::to_string(code) + ")";
    if (command.name == "*cE") {
      if (needed > 0) return "character code before the last character ended" + where;
      code = static_cast<int>(command.value);
      if (!font.Unbound() && (code < firstCode || code > lastCode) && code != 65535)
        return "code out of range" + where;
      if (code != 65535 && !codes.insert(code).second) return "code downloaded twice" + where;
      continue;
    }
    if (command.name != "(sW" || code < 0) return "unexpected command " + command.name;
    const std::string& block = command.data;
    if (block.size() < 2 || block[0] != 15) return "character block not of format 15" + where;
    if (needed > 0) {
      if (block[1] == 0) return "new character before the last ended" + where;
      stream += block.substr(2);
      if (stream.size() > needed) return "continuation longer than the character" + where;
      font.characters.back().blocks++;
    } else {
      if (block[1] != 0) return "continuation without a character" + where;
      if (block.size() < 4) return "character descriptor cut short" + where;
      const std::size_t descriptorSize = static_cast<std::uint8_t>(block[2]);
      if (descriptorSize < 2 || block[3] != 15) return "descriptor size or class wrong" + where;
      if (block.size() < 2 + descriptorSize + 4) return "character data cut short" + where;
      stream = block.substr(2 + descriptorSize);
      needed = BigEndian16(stream, 0) + 2u;  // with reserved byte and checksum
      if (needed < 6 || stream.size() > needed) return "character data size wrong" + where;
      font.characters.push_back({code, BigEndian16(stream, 2), {}, 1});
    }
    if (stream.size() == needed) {
      if (stream[needed - 2] != 0) return "reserved byte not 0" + where;
      if ((Sum(stream, 0, needed - 2) + static_cast<std::uint8_t>(stream.back())) % 256 != 0)
        return "character checksum wrong" + where;
      font.characters.back().glyphData = stream.substr(4, needed - 6);
      needed = 0;
      code = -1;
    }
  }
  if (needed > 0) return "last character cut short";
  return {};
}

bool TrueTypeFile::Parse(const std::string& bytes) {
  if (bytes.size() < 12) return false;
  const int count = BigEndian16(bytes, 4);
  for (int i = 0; i < count; ++i) {
    const std::size_t entry = 12 + 16u * i;
    if (entry + 16 > bytes.size()) return false;
    const std::uint32_t offset = BigEndian32(bytes, entry + 8), length = BigEndian32(bytes, entry + 12);
    if (offset > bytes.size() || length > bytes.size() - offset) return false;
    tables[bytes.substr(entry, 4)] = bytes.substr(offset, length);
  }
  return tables.count("head") > 0 && tables.count("loca") > 0 && tables.count("glyf") > 0;
}

std::string TrueTypeFile::Glyph(int glyph) const {
  const std::string& loca = tables.at("loca");
  if (BigEndian16(tables.at("head"), 50) != 0) {
    const std::uint32_t start = BigEndian32(loca, 4u * glyph);
    return tables.at("glyf").substr(start, BigEndian32(loca, 4u * glyph + 4) - start);
  }
  const std::uint32_t start = BigEndian16(loca, 2u * glyph) * 2u;
  return tables.at("glyf").substr(start, BigEndian16(loca, 2u * glyph + 2) * 2u - start);
}

int AdvanceWidth(const std::map<std::string, std::string>& tables, int glyph) {
  const int longMetrics = BigEndian16(tables.at("hhea"), 34);
  return BigEndian16(tables.at("hmtx"), 4u * std::min(glyph, longMetrics - 1));
}

std::vector<int> ComponentGlyphs(const std::string& glyphData) {
  std::vector<int> components;
  if (glyphData.size() < 10 || static_cast<std::int16_t>(BigEndian16(glyphData, 0)) >= 0) return components;
  for (std::size_t pos = 10;;) {
    const int flags = BigEndian16(glyphData, pos);
    components.push_back(BigEndian16(glyphData, pos + 2));
    pos += 4 + (flags & 1 ? 4 : 2) + (flags & 8 ? 2 : flags & 0x40 ? 4 : flags & 0x80 ? 8 : 0);
    if ((flags & 0x20) == 0) return components;
  }
}
