#include "storage_options.h"

#include "answer_values.h"
#include "glysnmp.h"
#include "table_walk.h"

namespace glysnmp {

std::optional<uint32_t> QueryStorageOptions(Session& session) {
  uint32_t options = kStorageNone;
  bool answered = WalkColumns(session, {oids::kHrStorageType}, std::nullopt,
                              [&](size_t, const netsnmp_variable_list& value) {
                                if (HoldsOid(value, oids::kHrStorageFixedDisk)) options |= kStorageHardDisk;
                                if (HoldsOid(value, oids::kHrStorageFlashMemory)) options |= kStorageFlash;
                                return options != kStorageBoth;
                              });
  if (!answered) return std::nullopt;
  return options;
}

}  // namespace glysnmp
