#include "snmp_agent.h"

#include <algorithm>

namespace printer_sim {
namespace {

bool NameLess(const Variable& variable, const Oid& name) { return variable.name < name; }

const Variable* FindExact(const std::vector<Variable>& variables, const Oid& name) {
  auto it = std::lower_bound(variables.begin(), variables.end(), name, NameLess);
  return it != variables.end() && it->name == name ? &*it : nullptr;
}

const Variable* FindNext(const std::vector<Variable>& variables, const Oid& name) {
  auto it = std::upper_bound(variables.begin(), variables.end(), name,
                             [](const Oid& n, const Variable& v) { return n < v.name; });
  return it != variables.end() ? &*it : nullptr;
}

// v2c error statuses as a v1 manager knows them.
int32_t AsV1Error(int32_t error) {
  switch (error) {
    case kNoError:
    case kTooBig:
    case kNoSuchName:
    case kBadValue:
    case kGenErr:
      return error;
    case kWrongType:
    case kWrongLength:
    case kWrongValue:
    case kInconsistentValue:
      return kBadValue;
    case kNoAccess:
    case kNotWritable:
    case kNoCreation:
      return kNoSuchName;
    default:
      return kGenErr;
  }
}

class Responder {
 public:
  Responder(Printer& printer, PrinterMib& mib, const SnmpMessage& request)
      : printer_(printer), mib_(mib), request_(request) {
    response_ = request;
    response_.pduType = kPduResponse;
    response_.errorStatus = kNoError;
    response_.errorIndex = 0;
  }

  std::optional<std::string> Answer() {
    const PrinterConfig& config = printer_.config();
    const bool mayWrite = request_.community == config.writeCommunity;
    if (!mayWrite && request_.community != config.readCommunity) return std::nullopt;
    switch (request_.pduType) {
      case kPduGet:
        Get();
        break;
      case kPduGetNext:
        GetNext();
        break;
      case kPduGetBulk:
        GetBulk();
        break;
      case kPduSet:
        if (mayWrite) {
          Set();
        } else {
          Fail(kNoAccess, 1);
        }
        break;
    }
    if (request_.version == kSnmpV1) response_.errorStatus = AsV1Error(response_.errorStatus);
    std::string bytes = EncodeMessage(response_);
    if (bytes.size() > kMostResponseBytes) {
      response_ = request_;
      response_.pduType = kPduResponse;
      response_.errorStatus = kTooBig;
      response_.errorIndex = 0;
      // A v2c agent answers tooBig with no bindings at all.
      if (request_.version == kSnmpV2c) response_.varBinds.clear();
      bytes = EncodeMessage(response_);
    }
    return bytes;
  }

 private:
  // An error answer carries the request's bindings unchanged.
  void Fail(int32_t status, size_t index) {
    response_.varBinds = request_.varBinds;
    response_.errorStatus = status;
    response_.errorIndex = static_cast<int32_t>(index);
  }

  void Get() {
    const std::vector<Variable>& variables = mib_.Variables(printer_);
    for (size_t i = 0; i < response_.varBinds.size(); ++i) {
      VarBind& binding = response_.varBinds[i];
      if (const Variable* found = FindExact(variables, binding.name)) {
        binding.value = found->value;
      } else if (request_.version == kSnmpV1) {
        return Fail(kNoSuchName, i + 1);
      } else {
        binding.value = Value::Exception(mib_.IsKnownObject(binding.name) ? kTagNoSuchInstance : kTagNoSuchObject);
      }
    }
  }

  // Moves `binding` to its successor; false at the end of the view.
  bool Advance(const std::vector<Variable>& variables, VarBind& binding) {
    if (const Variable* next = FindNext(variables, binding.name)) {
      binding.name = next->name;
      binding.value = next->value;
      return true;
    }
    binding.value = Value::Exception(kTagEndOfMibView);
    return false;
  }

  void GetNext() {
    const std::vector<Variable>& variables = mib_.Variables(printer_);
    for (size_t i = 0; i < response_.varBinds.size(); ++i) {
      if (!Advance(variables, response_.varBinds[i]) && request_.version == kSnmpV1) {
        return Fail(kNoSuchName, i + 1);
      }
    }
  }

  void GetBulk() {
    const std::vector<Variable>& variables = mib_.Variables(printer_);
    const std::vector<VarBind>& asked = request_.varBinds;
    const size_t nonRepeaters = std::min<size_t>(std::max(request_.errorStatus, 0), asked.size());
    const int32_t repetitions = std::clamp(request_.errorIndex, 0, kMostRepetitions);
    // Room for the bindings: what the frame around them (which grows with
    // the community) leaves.
    const size_t frame = 40 + request_.community.size();
    const size_t room = frame < kMostResponseBytes ? kMostResponseBytes - frame : 0;
    size_t used = 0;
    std::vector<VarBind>& out = response_.varBinds;
    out.clear();
    auto fits = [&](const VarBind& binding) {
      size_t size = EncodedSize(binding);
      if (used + size > room) return false;
      used += size;
      return true;
    };
    for (size_t i = 0; i < nonRepeaters; ++i) {
      VarBind binding = asked[i];
      Advance(variables, binding);
      if (!fits(binding)) return;
      out.push_back(std::move(binding));
    }
    std::vector<VarBind> current(asked.begin() + static_cast<std::ptrdiff_t>(nonRepeaters), asked.end());
    for (int32_t r = 0; r < repetitions && !current.empty(); ++r) {
      bool anyLeft = false;
      for (VarBind& binding : current) {
        if (binding.value.tag != kTagEndOfMibView) anyLeft |= Advance(variables, binding);
        if (!fits(binding)) return;
        out.push_back(binding);
      }
      if (!anyLeft) return;
    }
  }

  void Set() {
    for (size_t i = 0; i < request_.varBinds.size(); ++i) {
      if (int32_t error = mib_.CheckSet(printer_, request_.varBinds[i])) return Fail(error, i + 1);
    }
    for (const VarBind& binding : request_.varBinds) PrinterMib::ApplySet(printer_, binding);
  }

  Printer& printer_;
  PrinterMib& mib_;
  const SnmpMessage& request_;
  SnmpMessage response_;
};

}  // namespace

std::optional<std::string> AnswerSnmpRequest(Printer& printer, PrinterMib& mib, const uint8_t* data,
                                             size_t size) {
  SnmpMessage request;
  if (!DecodeMessage(data, size, request)) return std::nullopt;
  return Responder(printer, mib, request).Answer();
}

}  // namespace printer_sim
