#include "status_table.h"
#include "tessel/qrtl.h"

namespace tessel {

const char* FindStatusText(const StatusRow* rows, int32_t code, int32_t kind) {
  for (const StatusRow* row = rows; row->name != nullptr; ++row) {
    if (row->code == code) return kind == QRTL_TEXT_NAME ? row->name : row->message;
  }
  return nullptr;
}

namespace {

constexpr StatusRow kRuntimeStatus[] = {
    QRTL_STATUS_MAP(TESSEL_STATUS_ROW){0, nullptr, nullptr},
};

}  // namespace
}  // namespace tessel

const char* QRTLErrToString(int32_t code, int32_t kind) {
  if (kind != QRTL_TEXT_NAME && kind != QRTL_TEXT_MESSAGE) return "";
  if (const char* text = tessel::FindStatusText(tessel::kRuntimeStatus, code, kind)) return text;
  return code < 0 ? "Unknown error" : "Unknown warning";
}
