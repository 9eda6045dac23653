#include "oids.h"

namespace glysnmp {

bool IsUnder(const oid* name, size_t nameLength, const Oid& prefix) {
  if (nameLength <= prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (name[i] != prefix[i]) return false;
  }
  return true;
}

}  // namespace glysnmp
