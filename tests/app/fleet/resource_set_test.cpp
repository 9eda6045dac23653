// The resource set file: what each line gives, and the line a bad one is
// refused at.
#include <gtest/gtest.h>

#include "fleet/resource_set.h"

namespace {

TEST(ResourceSetTest, LinesGiveResourcesWithTheirOptionsAndPrintersOnce) {
  std::string error;
  const std::optional<ResourceSet> set = ParseResourceSet(
      "# fleet of the second floor\r\n"
      "\n"
      "resource fonts/Gothic.sfp\n"
      "  resource \"/srv/My Fonts/Arial.ttf\"\tconvert=pcl to=flash\n"
      "resource logo.pcl macro-id=42\n"
      "resource inv.frm form-name=Invoice\n"
      "printer 10.1.2.3 10.1.2.4\n"
      "printer 10.1.2.3\n"
      "printer-list saved.txt\n",
      "/etc/gly/", error);
  ASSERT_TRUE(set) << error;
  ASSERT_EQ(set->resources.size(), 4u);
  const SetResource& gothic = set->resources[0];
  EXPECT_EQ(gothic.path, "/etc/gly/fonts/Gothic.sfp");
  EXPECT_EQ(gothic.line, 3);
  EXPECT_EQ(gothic.location, kHardDisk);
  EXPECT_TRUE(gothic.conversion.both);
  const SetResource& arial = set->resources[1];
  EXPECT_EQ(arial.path, "/srv/My Fonts/Arial.ttf");
  EXPECT_EQ(arial.location, kFlashMemory);
  EXPECT_TRUE(arial.conversion.toPclTrueType);
  EXPECT_FALSE(arial.conversion.both);
  EXPECT_EQ(set->resources[2].macroId, "42");
  EXPECT_EQ(set->resources[3].formName, "Invoice");
  EXPECT_EQ(set->addresses, (std::vector<std::string>{"10.1.2.3", "10.1.2.4"}));
  EXPECT_EQ(set->printerLists, std::vector<std::string>{"/etc/gly/saved.txt"});
}

TEST(ResourceSetTest, ABadLineIsRefusedWithItsNumber) {
  const struct {
    const char* line;
    const char* error;
  } cases[] = {
      {"font Gothic.sfp", "line 2: not an entry: font (resource, printer or printer-list)"},
      {"resource", "line 2: resource takes a PATH"},
      {"resource \"My Fonts/Arial.ttf", "line 2: a quote is not closed"},
      {"resource Gothic.sfp to=tape", "line 2: to is disk or flash, not tape"},
      {"resource Gothic.sfp convert=both,pcl", "line 2: convert is type1, pcl or both, not both,pcl"},
      {"resource Gothic.sfp flash", "line 2: not an option: flash"},
      {"resource Gothic.sfp community=public", "line 2: not an option: community"},
      {"resource logo.pcl macro-id=40000", "line 2: macro-id: "},
      {"printer 10.1.2", "line 2: not an IPv4 address: 10.1.2"},
      {"printer", "line 2: printer takes one or more ADDRESSes"},
      {"printer-list a.txt b.txt", "line 2: printer-list takes one FILE"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseResourceSet(std::string("printer 10.1.2.3\n") + c.line + "\nprinter 10.1.2.4\n", "", error))
        << c.line;
    EXPECT_TRUE(error.starts_with(c.error)) << c.line << ": " << error;
  }
}

}  // namespace
