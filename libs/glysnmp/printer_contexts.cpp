#include "printer_contexts.h"

#include <vector>

namespace glysnmp {
namespace {

constexpr uint32_t kContextMark = 0x474c5953;  // "GLYS"

struct Registry {
  std::mutex mutex;
  std::vector<std::shared_ptr<PrinterContext>> contexts;  // number n is entry n - 1
};

Registry& registry() {
  static Registry* instance = new Registry;  // outlives every caller, also at exit
  return *instance;
}

}  // namespace

bool PrinterContext::Knows(uint32_t address) const {
  std::lock_guard lock(mutex_);
  return known_.count(address) != 0;
}

void PrinterContext::Remember(uint32_t address) {
  std::lock_guard lock(mutex_);
  known_.insert(address);
}

void PrinterContext::Forget(uint32_t address) {
  std::lock_guard lock(mutex_);
  known_.erase(address);
}

void PrinterContext::Report(const DeviceInfo& device) {
  Remember(device.address);
  if (callback_ != nullptr) callback_(&device, callbackContext_);
}

void CreatePrinterContext(SnmpContext* context, PrinterFoundCallback callback, void* callbackContext) {
  Registry& all = registry();
  std::lock_guard lock(all.mutex);
  all.contexts.push_back(std::make_shared<PrinterContext>(callback, callbackContext));
  uint32_t number = static_cast<uint32_t>(all.contexts.size());
  context->words[0] = kContextMark;
  context->words[1] = number;
  context->words[2] = ~number;
}

std::shared_ptr<PrinterContext> FindPrinterContext(const SnmpContext* context) {
  if (context == nullptr || context->words[0] != kContextMark || context->words[2] != ~context->words[1]) {
    return nullptr;
  }
  Registry& all = registry();
  std::lock_guard lock(all.mutex);
  uint32_t number = context->words[1];
  if (number == 0 || number > all.contexts.size()) return nullptr;
  return all.contexts[number - 1];
}

}  // namespace glysnmp
