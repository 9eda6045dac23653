// Data lists: typed values in a singly linked list. Buffers and texts are
// copied into memory the library owns until the list is destroyed. A list
// belongs to its caller; nothing here is locked.
#include <cstring>
#include <new>

#include "tessel/qrtl.h"

namespace {

bool IsBuffer(int32_t type) { return type == QRTL_DATA_BUFFER || type == QRTL_DATA_BUFFER_ALT; }

// A copy of `size` bytes (at least one byte is allocated, so an empty
// buffer still has an address of its own).
char* CopyBytes(const void* source, size_t size) {
  char* copy = new (std::nothrow) char[size == 0 ? 1 : size];
  if (copy != nullptr && size > 0) std::memcpy(copy, source, size);
  return copy;
}

void FreeNode(QRTLDataNode* node) {
  if (IsBuffer(node->type)) delete[] static_cast<char*>(node->data);
  if (node->type == QRTL_DATA_TEXT) delete[] reinterpret_cast<char*>(node->value);
  delete node;
}

int32_t FillNode(QRTLDataNode* node) {
  if (IsBuffer(node->type)) {
    if (node->data == nullptr && node->value > 0) return QRTLERR_INVALID_PARAM;
    node->data = CopyBytes(node->data, node->value);
    return node->data != nullptr ? QRTL_SUCCESS : QRTLERR_NOMEM;
  }
  if (node->type == QRTL_DATA_TEXT) {
    const auto* text = reinterpret_cast<const char*>(node->value);
    if (text == nullptr) return QRTLERR_INVALID_PARAM;
    char* copy = CopyBytes(text, std::strlen(text) + 1);
    node->value = reinterpret_cast<uintptr_t>(copy);
    return copy != nullptr ? QRTL_SUCCESS : QRTLERR_NOMEM;
  }
  return QRTL_SUCCESS;
}

}  // namespace

QRTLDataNode* QRTLAddData(QRTLDataNode** list, int32_t type, uintptr_t value, void* data,
                          int32_t* status) {
  int32_t result = QRTLERR_INVALID_PARAM;
  QRTLDataNode* node = nullptr;
  if (list != nullptr) {
    node = new (std::nothrow) QRTLDataNode{type, value, data, nullptr};
    result = node != nullptr ? FillNode(node) : QRTLERR_NOMEM;
    if (result != QRTL_SUCCESS) {
      delete node;
      node = nullptr;
    }
  }
  if (node != nullptr) {
    QRTLDataNode** end = list;
    while (*end != nullptr) end = &(*end)->next;
    *end = node;
  }
  if (status != nullptr) *status = result;
  return node;
}

int32_t QRTLDestroyDataList(QRTLDataNode** list) {
  if (list == nullptr) return QRTLERR_INVALID_PARAM;
  while (*list != nullptr) {
    QRTLDataNode* node = *list;
    *list = node->next;
    FreeNode(node);
  }
  return QRTL_SUCCESS;
}
