// Deleting one font: a SET of its glyFontDelete column, then reads of its
// glyFontStatus until the row is gone.
#pragma once

#include <cstdint>

#include "snmp_session.h"

namespace glysnmp {

enum class DeletionRequest {
  kAccepted,  // the printer answered without error, with the value set
  // It answered with an error, or without one but with another value
  // (noSuchInstance, noSuchObject, another number): nothing was deleted.
  kRefused,
  kNoAnswer,
};

// Asks the printer to delete font `index`.
DeletionRequest RequestFontDeletion(Session& session, int32_t index);

enum class DeletionState {
  kNoAnswer,  // the printer did not answer, or answered with an error
  kPending,   // the font is still there
  kDeleted,   // the font's row is gone
};

DeletionState QueryFontDeletion(Session& session, int32_t index);

}  // namespace glysnmp
