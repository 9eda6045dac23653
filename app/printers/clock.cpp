#include "printers/clock.h"

#include <chrono>
#include <thread>

namespace {

class SteadyClock final : public Clock {
 public:
  uint64_t NowMs() override {
    auto since_start = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since_start).count());
  }
  void SleepMs(uint32_t ms) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
};

}  // namespace

Clock& SystemClock() {
  static SteadyClock clock;
  return clock;
}
