// The PJL reply reader, on replies written as the PJL reference gives
// their syntax and as printers in the field vary it: line ends, NULs,
// keyword case, blanks around "=", missing echoed command lines, table
// layouts, unsolicited status reports and uploads whose data holds form
// feeds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pjl_reply.h"
#include "pjl_stream.h"

namespace {

using namespace glysnmp;

std::vector<PjlBlock> Blocks(const std::string& bytes) {
  PjlReplyStream stream;
  stream.Append(bytes);
  std::vector<PjlBlock> blocks;
  while (std::optional<PjlBlock> block = stream.Next()) blocks.push_back(*block);
  return blocks;
}

TEST(PjlReader, RepliesAreCutAtTheirFormFeedWhateverTheirLineEnds) {
  for (const std::string end : {"\r\n", "\n", "\r\r\n"}) {
    const std::string bytes = std::string(2, '\0') + "@PJL USTATUS DEVICE" + end + "CODE=10001" + end + "\f" +
                              "@PJL INFO ID" + end + "\"LaserLine\"" + end + "\f" + "@PJL ECHO GLY1-2" + end + "\f";
    const std::vector<PjlBlock> blocks = Blocks(bytes);
    ASSERT_EQ(blocks.size(), 3u) << "line end " << end.size();
    EXPECT_EQ(blocks[0].kind, PjlBlock::kStatus);
    EXPECT_EQ(blocks[1].kind, PjlBlock::kReply);
    EXPECT_EQ(blocks[2].kind, PjlBlock::kEcho);
    EXPECT_EQ(blocks[2].text, "GLY1-2");
  }
  // Lower case, and an echo without its form feed ends where the next
  // PJL line starts.
  const std::vector<PjlBlock> blocks = Blocks("@pjl echo A\r\n@PJL ECHO B\r\n\f");
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].text, "A");
  EXPECT_EQ(blocks[1].text, "B");
}

TEST(PjlReader, AnUploadIsAsLongAsItsSizeSaysAndPostScriptOutputEndsAtTheNextPjlLine) {
  const std::string data = "ab\fcd\r\n@PJL";
  PjlReplyStream stream;
  stream.Append("@PJL FSUPLOAD FORMAT:BINARY NAME = \"0:\\f\" OFFSET=0 SIZE = " + std::to_string(data.size()) +
                "\r\n" + data.substr(0, 4));
  EXPECT_FALSE(stream.Next()) << "the data has not all come";
  stream.Append(data.substr(4) + "\f/Courier\n/Times-Roman\n@PJL ECHO M\r\n\f");
  std::optional<PjlBlock> upload = stream.Next();
  ASSERT_TRUE(upload);
  EXPECT_EQ(ReadUploadBytes(upload->text), data);
  std::optional<PjlBlock> names = stream.Next();
  ASSERT_TRUE(names);
  EXPECT_EQ(ReadPostScriptNames(names->text), (std::vector<std::string>{"Courier", "Times-Roman"}));
  std::optional<PjlBlock> echo = stream.Next();
  ASSERT_TRUE(echo);
  EXPECT_EQ(echo->kind, PjlBlock::kEcho);
}

TEST(PjlReader, FileSystemRepliesAreReadInAnyCaseWithOrWithoutTheEchoedCommand) {
  // The reference's FSDIRLIST sample, blanks around "=" included.
  const FileSystemReply listing = ReadFileSystemReply(
      "@PJL FSDIRLIST NAME = \"0:\\pcl\\macros\" ENTRY=1\r\n. TYPE=DIR\r\n.. TYPE=DIR\r\n"
      "invoice.prn.rl TYPE=FILE SIZE=1619\r\npage1.prn.tf TYPE=FILE SIZE=2260\r\n\f");
  std::vector<DirectoryEntry> entries = ReadDirectoryEntries(listing.lines);
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[2].name, "invoice.prn.rl");
  EXPECT_EQ(entries[2].size, 1619u);
  EXPECT_TRUE(entries[0].directory);

  // No echoed command, lower case, SIZE before TYPE, blanks in names.
  entries = ReadDirectoryEntries(ReadFileSystemReply(std::string(1, '\0') + "my font size = 12 type = file\n\f").lines);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "my font");
  EXPECT_FALSE(entries[0].directory);
  EXPECT_EQ(entries[0].size, 12u);

  FileSystemReply query = ReadFileSystemReply("@pjl fsquery name = \"0:\\f\" size = 7 type = file\r\r\n\f");
  EXPECT_EQ(query.type, "FILE");
  EXPECT_EQ(query.size, 7u);
  query = ReadFileSystemReply("TYPE=FILE SIZE=9\n\f");
  EXPECT_EQ(query.type, "FILE");
  EXPECT_EQ(query.size, 9u);
  EXPECT_EQ(ReadFileSystemReply("fileerror = 3\r\n\f").fileError, 3);
  EXPECT_EQ(ReadFileSystemReply("@PJL FSDELETE NAME=\"0:\\f\"\nFILEERROR=8\n\f").fileError, 8);
}

TEST(PjlReader, TheFileSystemTableIsReadFromItsColumnHeader) {
  struct Layout {
    const char* name;
    std::string reply;
  };
  const Layout layouts[] = {
      {"tabs", "@PJL INFO FILESYS [3 TABLE]\r\n\tVOLUME\tTOTAL SIZE\tFREE SPACE\tLOCATION\tLABEL\tSTATUS\r\n"
               "\t0:\t1755136\t1718272\tDISK\t\tREAD-WRITE\r\n\t1:\t4096\t0\tFLASH\tfonts\tREAD-ONLY\r\n\f"},
      // The reference's own sample: empty LOCATION and LABEL.
      {"reference", "@PJL INFO FILESYS [3 TABLE]\r\nVOLUME TOTAL SIZE FREE SPACE LOCATION LABEL STATUS\r\n"
                    "0:\t1755136\t1718272\t\t\tREAD-WRITE\r\n1:\\ 4096 0 FLASH READ-ONLY\r\n\f"},
      {"blanks", "@PJL INFO FILESYS [3 TABLE]\nVOLUME  TOTAL SIZE  FREE SPACE  LOCATION  LABEL   STATUS\n"
                 "0:\\     1755136     1718272     DISK              READ-WRITE\n"
                 "1:      4096        0           FLASH     fonts   READ-ONLY\n\f"},
  };
  for (const Layout& layout : layouts) {
    const std::vector<FileSystemVolume> volumes = ReadFileSystemTable(layout.reply);
    ASSERT_EQ(volumes.size(), 2u) << layout.name;
    EXPECT_EQ(volumes[0].volume, "0:") << layout.name;
    EXPECT_EQ(volumes[0].totalBytes, 1755136u) << layout.name;
    EXPECT_EQ(volumes[0].freeBytes, 1718272u) << layout.name;
    EXPECT_TRUE(volumes[0].writable) << layout.name;
    EXPECT_EQ(volumes[1].volume, "1:") << layout.name;
    EXPECT_EQ(volumes[1].location, "FLASH") << layout.name;
    EXPECT_FALSE(volumes[1].writable) << layout.name;
  }
  EXPECT_EQ(ReadFileSystemTable(layouts[1].reply)[0].location, "");
  EXPECT_TRUE(ReadFileSystemTable("@PJL INFO FILESYS\r\n\"?\"\r\n\f").empty());
}

TEST(PjlReader, ConfigOptionsAreIndentedByTabsOrBlanks) {
  const std::string reply =
      "@PJL INFO CONFIG\r\nIN TRAYS [1 ENUMERATED]\r\n\tINTRAY1 MP\r\nLANGUAGES [2 ENUMERATED]\r\n"
      "    pcl\r\n\tPOSTSCRIPT\r\nMEMORY=8388608\r\n\tNOT A LANGUAGE\r\n\f";
  EXPECT_EQ(ReadConfigOptions(reply, "LANGUAGES"), (std::vector<std::string>{"PCL", "POSTSCRIPT"}));
}

}  // namespace
