#include "tessel/version.h"

int32_t QRTLGetVersion(const char** text) {
  if (text != nullptr) *text = TESSEL_VERSION_STRING;
  return TESSEL_VERSION;
}
