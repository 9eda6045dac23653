// Community strings for glyctl's SNMP requests. The read community may be
// given on the command line (--community); the write community, which lets
// its holder delete fonts, only from a file (--community-file) that its
// owner alone can read, so that it never shows in the process list or a
// shell history.
//
// The file holds lines "read=STRING", "write=STRING" and "trap=STRING",
// "pjl-password=NUMBER", and the SNMP version and v3 lines of
// snmp_security_options.h; blank lines and lines starting with '#' are
// skipped.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "glyctl/snmp_security_options.h"
#include "snmp/community_strings.h"

// The file's strings (empty for those it does not give), or nullopt with the
// reason in `error`: the file cannot be opened, is not a regular file, is
// not the caller's, can be read or written by its group or others, holds a
// line of another form, or a string longer than a record's 63 characters.
// The SNMP version and v3 lines go to `security`.
std::optional<NewCommunityStrings> ReadCommunityFile(const std::string& path, std::string& error,
                                                     SecurityOptions& security);

// The lines of a community file's `text`, checked as ReadCommunityFile
// does; `path` names the file in messages.
std::optional<NewCommunityStrings> ParseCommunityText(std::string_view text, const std::string& path,
                                                      std::string& error, SecurityOptions& security);

// The strings given by `file` and then by `readOption` (which wins for the
// read community); nullopt with the reason when the read option is too long.
std::optional<NewCommunityStrings> CombineCommunities(const NewCommunityStrings& file,
                                                      const std::optional<std::string>& readOption,
                                                      std::string& error);
