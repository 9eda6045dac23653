// The PJL lines that open and close every download job besides its ticket:
// the printer's job password, and the folders the job stores into, made one
// level at a time because a printer makes no missing parent of a folder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// "@PJL JOB PASSWORD=N" when `password` is set (a printer with a PIN or a
// locked file system takes the job's commands only then); nothing for 0.
std::string PjlJobOpening(uint32_t password);
// "@PJL EOJ" for a job that PjlJobOpening opened, before its last
// Universal Exit Language; nothing for 0.
std::string PjlJobClosing(uint32_t password);
// One FSMKDIR for each level of `folder` ("pcl\fonts": "0:\pcl", then
// "0:\pcl\fonts") on `volume` ("0:"). Making a folder that exists is
// harmless.
std::string PjlMakeFolders(std::string_view volume, std::string_view folder);
