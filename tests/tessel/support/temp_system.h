// A private registry and Windows directory for every tessel test process.
//
// The registry hives and the Windows directory are pointed at a temporary
// folder before the first test runs and the folder is removed after the
// last. Between tests, ClearFamilyKeys() removes what a test left under
// "Software\Ostrel" in both hives.
#pragma once

#include <string>

namespace tessel_test {

// The temporary folder of this process (valid while tests run).
const std::string& TempDirectory();

// Writes `content` to a file of the temporary folder and returns its path.
std::string WriteTempFile(const std::string& name, const std::string& content);

std::string ReadFile(const std::string& path);

// Deletes "Software\Ostrel" and everything below it in both hives.
void ClearFamilyKeys();

}  // namespace tessel_test
