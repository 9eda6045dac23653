#include "status_table.h"
#include "tessel/qtl.h"

namespace {

constexpr tessel::StatusRow kTransportStatus[] = {
    QTL_STATUS_MAP(TESSEL_STATUS_ROW){0, nullptr, nullptr},
};

}  // namespace

const char* QTLErrToString(int32_t code, int32_t which) {
  if (which != QTL_TEXT_NAME && which != QTL_TEXT_MESSAGE) return "";
  if (const char* text = tessel::FindStatusText(kTransportStatus, code, which)) return text;
  return QRTLErrToString(code, which);
}
