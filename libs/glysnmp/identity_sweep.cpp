#include "identity_sweep.h"

#include <sys/select.h>

#include <chrono>
#include <memory>
#include <optional>

#include "device_identity.h"
#include "snmp_session.h"

// After net_snmp.h, which it needs.
#include <net-snmp/library/large_fd_set.h>

namespace glysnmp {
namespace {

using SteadyClock = std::chrono::steady_clock;

struct Probe {
  uint32_t address = 0;
  std::unique_ptr<Session> session;
  bool waiting = false;
  std::optional<IdentityAnswer> identity;
};

int OnProbeAnswer(int operation, netsnmp_session*, int, netsnmp_pdu* answer, void* magic) {
  Probe& probe = *static_cast<Probe*>(magic);
  probe.waiting = false;
  IdentityAnswer identity;
  if (operation == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE && answer != nullptr &&
      ReadIdentity(*answer, probe.address, &identity)) {
    probe.identity = identity;
  }
  return 1;
}

// Opens sessions and sends requests from `next` on until all are out or no
// socket is left; returns the probes sent.
std::vector<std::unique_ptr<Probe>> SendRound(const std::vector<uint32_t>& addresses, size_t& next,
                                              const std::string& community, const SnmpSettings& settings) {
  std::vector<std::unique_ptr<Probe>> probes;
  for (; next < addresses.size(); ++next) {
    auto probe = std::make_unique<Probe>();
    probe->address = addresses[next];
    probe->session = Session::Open({addresses[next], community, SnmpVersion::kV2c}, settings);
    if (!probe->session) {
      if (probes.empty()) ++next;  // not even one socket: give this address up
      break;
    }
    netsnmp_pdu* request = IdentityRequest().release();
    if (snmp_sess_async_send(probe->session->handle(), request, OnProbeAnswer, probe.get()) == 0) {
      snmp_free_pdu(request);
      continue;
    }
    probe->waiting = true;
    probes.push_back(std::move(probe));
  }
  return probes;
}

// Reads answers until every probe has its answer or its time-out. The
// sessions time out their own requests; `latest` only guards against a
// session that would never give up.
void CollectAnswers(std::vector<std::unique_ptr<Probe>>& probes, SteadyClock::time_point latest) {
  for (;;) {
    netsnmp_large_fd_set readable;
    netsnmp_large_fd_set_init(&readable, FD_SETSIZE);
    int highest = 0;
    bool waiting = false;
    auto left = std::chrono::duration_cast<std::chrono::microseconds>(latest - SteadyClock::now());
    if (left.count() < 0) left = std::chrono::microseconds(0);
    timeval wait{static_cast<time_t>(left.count() / 1000000), static_cast<suseconds_t>(left.count() % 1000000)};
    int block = 0;
    for (auto& probe : probes) {
      if (!probe->waiting) continue;
      waiting = true;
      snmp_sess_select_info2(probe->session->handle(), &highest, &readable, &wait, &block);
    }
    if (!waiting || SteadyClock::now() >= latest) {
      netsnmp_large_fd_set_cleanup(&readable);
      return;
    }
    int ready = netsnmp_large_fd_set_select(highest, &readable, nullptr, nullptr, &wait);
    for (auto& probe : probes) {
      if (!probe->waiting) continue;
      if (ready > 0) snmp_sess_read2(probe->session->handle(), &readable);
      if (probe->waiting) snmp_sess_timeout(probe->session->handle());
    }
    netsnmp_large_fd_set_cleanup(&readable);
  }
}

}  // namespace

std::vector<IdentityAnswer> SweepIdentities(const std::vector<uint32_t>& addresses, const std::string& community,
                                          const SnmpSettings& settings) {
  SnmpSettings once = settings;
  once.retries = 0;
  std::vector<IdentityAnswer> answers;
  size_t next = 0;
  while (next < addresses.size()) {
    std::vector<std::unique_ptr<Probe>> probes = SendRound(addresses, next, community, once);
    auto latest = SteadyClock::now() + std::chrono::milliseconds(once.timeoutMs) + std::chrono::seconds(1);
    CollectAnswers(probes, latest);
    for (auto& probe : probes) {
      // Closing a session may still call back into its probe, so the
      // probe outlives it.
      probe->session.reset();
      if (probe->identity) answers.push_back(*probe->identity);
    }
  }
  return answers;
}

}  // namespace glysnmp
