/* The library's one entry point: finds a resource by kind and number. */
#include "resource_library.h"

#include "art/animation_layout.h"
#include "resource_tables.h"

#define EXPORT __attribute__((visibility("default")))

typedef struct ImageEntry {
  GlyResourceKind kind;
  int id;
  const GlyImageData* image;
} ImageEntry;

static const ImageEntry images[] = {
    {GLY_RES_BITMAP, 134, &gly_art_bitmap_134},
    {GLY_RES_BITMAP, 143, &gly_art_bitmap_143},
    {GLY_RES_SHARP_BITMAP, 134, &gly_art_sharp_bitmap_134},
    {GLY_RES_SHARP_BITMAP, 143, &gly_art_sharp_bitmap_143},
    {GLY_RES_ICON, 128, &gly_art_icon_128},
};

static const GlyAnimationData animation_135 = {
    &gly_art_animation_135, GLY_ANIMATION_135_FRAMES, GLY_ANIMATION_135_FRAME_MS};

static const void* find_dialog(int id) {
  for (size_t i = 0; i < gly_dialog_count; ++i)
    if (gly_dialogs[i].id == id) return &gly_dialogs[i];
  return NULL;
}

static const void* find_menu(int id) {
  for (size_t i = 0; i < gly_menu_count; ++i)
    if (gly_menus[i].id == id) return &gly_menus[i];
  return NULL;
}

static const void* find_string(int id) {
  for (size_t i = 0; i < gly_string_count; ++i)
    if (gly_strings[i].id == id) return gly_strings[i].text;
  return NULL;
}

static const void* find_image(GlyResourceKind kind, int id) {
  for (size_t i = 0; i < sizeof(images) / sizeof(images[0]); ++i)
    if (images[i].kind == kind && images[i].id == id) return images[i].image;
  return NULL;
}

static const void* find_animation(int id) {
  return id == 135 ? &animation_135 : NULL;
}

EXPORT const void* GlyFindResource(GlyResourceKind kind, int id) {
  switch (kind) {
    case GLY_RES_DIALOG: return find_dialog(id);
    case GLY_RES_MENU: return find_menu(id);
    case GLY_RES_STRING: return find_string(id);
    case GLY_RES_BITMAP:
    case GLY_RES_SHARP_BITMAP:
    case GLY_RES_ICON: return find_image(kind, id);
    case GLY_RES_ANIMATION: return find_animation(id);
  }
  return NULL;
}
