// The functions of libcups that the IPP job port calls.
#include <cups/cups.h>

#include "glyctl/on_demand/on_demand_library.h"

namespace {
const OnDemandLibrary kCups{"libcups.so.2", "the IPP job port"};
}  // namespace

extern "C" {
GLY_ON_DEMAND(kCups, ipp_t*, cupsDoRequest, (http_t * http, ipp_t* request, const char* resource),
              (http, request, resource))
GLY_ON_DEMAND(kCups, ipp_t*, cupsGetResponse, (http_t * http, const char* resource), (http, resource))
GLY_ON_DEMAND(kCups, ipp_status_t, cupsLastError, (void), ())
GLY_ON_DEMAND(kCups, const char*, cupsLastErrorString, (void), ())
GLY_ON_DEMAND(kCups, http_status_t, cupsSendRequest,
              (http_t * http, ipp_t* request, const char* resource, size_t length), (http, request, resource, length))
GLY_ON_DEMAND(kCups, void, cupsSetPasswordCB2, (cups_password_cb2_t cb, void* user_data), (cb, user_data))
GLY_ON_DEMAND(kCups, http_status_t, cupsWriteRequestData, (http_t * http, const char* buffer, size_t length),
              (http, buffer, length))
GLY_ON_DEMAND(kCups, void, httpClose, (http_t * http), (http))
GLY_ON_DEMAND(kCups, http_t*, httpConnect2,
              (const char* host, int port, http_addrlist_t* addrlist, int family, http_encryption_t encryption,
               int blocking, int msec, int* cancel),
              (host, port, addrlist, family, encryption, blocking, msec, cancel))
GLY_ON_DEMAND(kCups, int, httpError, (http_t * http), (http))
GLY_ON_DEMAND(kCups, http_status_t, httpGetStatus, (http_t * http), (http))
GLY_ON_DEMAND(kCups, int, httpReconnect2, (http_t * http, int msec, int* cancel), (http, msec, cancel))
GLY_ON_DEMAND(kCups, void, httpSetTimeout, (http_t * http, double timeout, http_timeout_cb_t cb, void* user_data),
              (http, timeout, cb, user_data))
GLY_ON_DEMAND(kCups, const char*, httpStatus, (http_status_t status), (status))
GLY_ON_DEMAND(kCups, ipp_attribute_t*, ippAddInteger,
              (ipp_t * ipp, ipp_tag_t group, ipp_tag_t value_tag, const char* name, int value),
              (ipp, group, value_tag, name, value))
GLY_ON_DEMAND(kCups, ipp_attribute_t*, ippAddString,
              (ipp_t * ipp, ipp_tag_t group, ipp_tag_t value_tag, const char* name, const char* language,
               const char* value),
              (ipp, group, value_tag, name, language, value))
GLY_ON_DEMAND(kCups, ipp_attribute_t*, ippAddStrings,
              (ipp_t * ipp, ipp_tag_t group, ipp_tag_t value_tag, const char* name, int num_values,
               const char* language, const char* const* values),
              (ipp, group, value_tag, name, num_values, language, values))
GLY_ON_DEMAND(kCups, void, ippDelete, (ipp_t * ipp), (ipp))
GLY_ON_DEMAND(kCups, const char*, ippErrorString, (ipp_status_t error), (error))
GLY_ON_DEMAND(kCups, ipp_attribute_t*, ippFindAttribute, (ipp_t * ipp, const char* name, ipp_tag_t value_tag),
              (ipp, name, value_tag))
GLY_ON_DEMAND(kCups, int, ippGetCount, (ipp_attribute_t * attr), (attr))
GLY_ON_DEMAND(kCups, int, ippGetInteger, (ipp_attribute_t * attr, int element), (attr, element))
GLY_ON_DEMAND(kCups, ipp_op_t, ippGetOperation, (ipp_t * ipp), (ipp))
GLY_ON_DEMAND(kCups, ipp_status_t, ippGetStatusCode, (ipp_t * ipp), (ipp))
GLY_ON_DEMAND(kCups, const char*, ippGetString, (ipp_attribute_t * attr, int element, const char** language),
              (attr, element, language))
GLY_ON_DEMAND(kCups, size_t, ippLength, (ipp_t * ipp), (ipp))
GLY_ON_DEMAND(kCups, ipp_t*, ippNewRequest, (ipp_op_t op), (op))
GLY_ON_DEMAND(kCups, const char*, ippOpString, (ipp_op_t op), (op))
}
