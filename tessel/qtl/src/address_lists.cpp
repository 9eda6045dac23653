// Lists of addresses and host names that look-ups work through. The caller
// owns the head; nodes are the library's. Neither a context nor a lock is
// needed.
#include <cstdlib>
#include <cstring>

#include "address_text.h"

using tessel::qtl::AddressFamily;

int32_t QTLAddAddress(AddressNode** list, const NetAddress* address, void* userValue) {
  if (!list || !address) return QTLERR_INVALID_PARAM;
  if (*list && AddressFamily((*list)->address.protocol) != AddressFamily(address->protocol)) {
    return QTLERR_BAD_ADDRESS;
  }
  auto* node = static_cast<AddressNode*>(std::calloc(1, sizeof(AddressNode)));
  if (!node) return QTLERR_NOMEM;
  node->address = *address;
  node->state = QTL_NODE_PENDING;
  node->userValue = userValue;
  node->next = *list;
  *list = node;
  return QTL_SUCCESS;
}

int32_t QTLCleanupAddressList(AddressNode** list) {
  if (!list) return QTLERR_INVALID_PARAM;
  while (AddressNode* node = *list) {
    *list = node->next;
    std::free(node);
  }
  return QTL_SUCCESS;
}

int32_t QTLCountAddressList(const AddressNode* first) {
  int32_t count = 0;
  for (const AddressNode* node = first; node; node = node->next) ++count;
  return count;
}

void* QTLSetAddressListNoResponses(AddressNode* first) {
  for (AddressNode* node = first; node; node = node->next) {
    if (node->state != QTL_NODE_ANSWERED) node->state = QTL_NODE_NO_RESPONSE;
  }
  return nullptr;
}

int32_t QTLAddHost(HostNode** list, const char* name, void* userValue) {
  if (!list || !name) return QTLERR_INVALID_PARAM;
  auto* node = static_cast<HostNode*>(std::calloc(1, sizeof(HostNode)));
  char* copy = strdup(name);
  if (!node || !copy) {
    std::free(node);
    std::free(copy);
    return QTLERR_NOMEM;
  }
  node->name = copy;
  node->state = QTL_NODE_PENDING;
  node->userValue = userValue;
  node->next = *list;
  *list = node;
  return QTL_SUCCESS;
}

int32_t QTLCleanupHostList(HostNode** list) {
  if (!list) return QTLERR_INVALID_PARAM;
  while (HostNode* node = *list) {
    *list = node->next;
    std::free(node->name);
    std::free(node);
  }
  return QTL_SUCCESS;
}
