#include "ui/resource_module.h"

#include "platform/module.h"

namespace {

HMODULE g_module = nullptr;
GlyFindResourceFn g_find = nullptr;

const void* Find(GlyResourceKind kind, int id) { return g_find ? g_find(kind, id) : nullptr; }

}  // namespace

bool LoadResourceModule(const char* path) {
  HMODULE module = LoadLibraryA(path);
  if (!module) return false;
  auto find = reinterpret_cast<GlyFindResourceFn>(GetProcAddress(module, GLY_FIND_RESOURCE_NAME));
  if (!find) {
    FreeLibrary(module);
    return false;
  }
  FreeResourceModule();
  g_module = module;
  g_find = find;
  return true;
}

void FreeResourceModule() {
  g_find = nullptr;
  if (g_module) FreeLibrary(g_module);
  g_module = nullptr;
}

bool HasResourceModule() { return g_find != nullptr; }

const GlyDialogTemplate* FindDialogTemplate(int id) {
  return static_cast<const GlyDialogTemplate*>(Find(GLY_RES_DIALOG, id));
}
const GlyMenuTemplate* FindMenuTemplate(int id) {
  return static_cast<const GlyMenuTemplate*>(Find(GLY_RES_MENU, id));
}
const GlyImageData* FindBitmap(int id) {
  return static_cast<const GlyImageData*>(Find(GLY_RES_BITMAP, id));
}
const GlyImageData* FindSharpBitmap(int id) {
  return static_cast<const GlyImageData*>(Find(GLY_RES_SHARP_BITMAP, id));
}
const GlyImageData* FindIcon(int id) {
  return static_cast<const GlyImageData*>(Find(GLY_RES_ICON, id));
}
const GlyAnimationData* FindAnimation(int id) {
  return static_cast<const GlyAnimationData*>(Find(GLY_RES_ANIMATION, id));
}

std::string LoadResourceString(int id) {
  const auto* text = static_cast<const char*>(Find(GLY_RES_STRING, id));
  return text ? text : "";
}
