// The resource library the program takes its dialogs, menus, texts and
// pictures from, loaded once at start-up (the design's resource handle).
//
// Thread rule: load and free on the user-interface thread before and after
// every dialog runs; the lookups only read and may be called from any
// thread in between.
#pragma once

#include <string>

#include "resource_library.h"

// Loads the library at `path` and makes it the source of every resource.
// False, with nothing changed, when it cannot be loaded or lacks the entry
// point.
bool LoadResourceModule(const char* path);
// Releases the library; lookups then find nothing.
void FreeResourceModule();
bool HasResourceModule();

// The resource of that number, or nullptr when there is none (or no library).
const GlyDialogTemplate* FindDialogTemplate(int id);
const GlyMenuTemplate* FindMenuTemplate(int id);
const GlyImageData* FindBitmap(int id);
const GlyImageData* FindSharpBitmap(int id);
const GlyImageData* FindIcon(int id);
const GlyAnimationData* FindAnimation(int id);
// String `id` of the string table; empty when there is no such string.
std::string LoadResourceString(int id);
