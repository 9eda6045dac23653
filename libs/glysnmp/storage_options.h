// The printer's storage options from the host resources storage table.
#pragma once

#include <cstdint>
#include <optional>

#include "snmp_session.h"

namespace glysnmp {

// kStorageHardDisk for a fixed-disk row, kStorageFlash for a flash-memory
// row, kStorageBoth for both, kStorageNone for neither; nullopt when the
// agent did not answer.
std::optional<uint32_t> QueryStorageOptions(Session& session);

}  // namespace glysnmp
