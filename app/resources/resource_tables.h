/* The tables the resource library is made of, each defined in its own
 * source file and searched by GlyFindResource. */
#ifndef GLY_RESOURCE_TABLES_H
#define GLY_RESOURCE_TABLES_H

#include "resource_library.h"

typedef struct GlyStringEntry {
  int id;
  const char* text;
} GlyStringEntry;

extern const GlyDialogTemplate gly_dialogs[];
extern const size_t gly_dialog_count;
extern const GlyMenuTemplate gly_menus[];
extern const size_t gly_menu_count;
extern const GlyStringEntry gly_strings[];
extern const size_t gly_string_count;

/* Drawn at build time (art/) and embedded by embed_art.cmake. */
extern const GlyImageData gly_art_bitmap_134;
extern const GlyImageData gly_art_bitmap_143;
extern const GlyImageData gly_art_sharp_bitmap_134;
extern const GlyImageData gly_art_sharp_bitmap_143;
extern const GlyImageData gly_art_icon_128;
extern const GlyImageData gly_art_animation_135;

#endif
