/* The resource library's contract: every dialog template, menu, string,
 * bitmap, icon and animation of the program, found by kind and number.
 *
 * The library is plain data behind one entry point, GlyFindResource, which
 * the program resolves by name after loading the library from its own
 * directory. Everything returned lives as long as the library is loaded.
 * Texts are UTF-8 (in practice ASCII); '&' marks a mnemonic as usual. */
#ifndef GLY_RESOURCE_LIBRARY_H
#define GLY_RESOURCE_LIBRARY_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The library's file name in the program directory. */
#define GLY_RESOURCE_LIBRARY_FILE "libResourceDLL.so"
/* The entry point's name, for GetProcAddress. */
#define GLY_FIND_RESOURCE_NAME "GlyFindResource"

typedef enum GlyResourceKind {
  GLY_RES_DIALOG = 1,    /* const GlyDialogTemplate* */
  GLY_RES_MENU = 2,      /* const GlyMenuTemplate* */
  GLY_RES_STRING = 3,    /* const char* (NUL-terminated) */
  GLY_RES_BITMAP = 4,    /* const GlyImageData*: PNG, magenta marks transparent pixels */
  GLY_RES_ICON = 5,      /* const GlyImageData*: PNG with an alpha channel */
  GLY_RES_ANIMATION = 6, /* const GlyAnimationData* */
  /* const GlyImageData*: bitmap `id` drawn at GLY_SHARP_BITMAP_SCALE times
   * its pixels, for screens with more than one pixel per point */
  GLY_RES_SHARP_BITMAP = 7
} GlyResourceKind;

#define GLY_SHARP_BITMAP_SCALE 3

typedef enum GlyControlKind {
  GLY_CTL_LABEL,          /* static text */
  GLY_CTL_GROUP,          /* group box frame with a caption */
  GLY_CTL_BUTTON,         /* push button */
  GLY_CTL_POPUP_BUTTON,   /* push button that opens `resource` (a menu) below itself */
  GLY_CTL_CHECK_LIST,     /* sorted list with a check box per item, both scroll bars */
  GLY_CTL_EDIT,           /* single-line edit */
  GLY_CTL_IP_ADDRESS,     /* four fields of 0-255 */
  GLY_CTL_BITMAP,         /* picture of bitmap `resource`, magenta transparent */
  GLY_CTL_ICON,           /* picture of icon `resource` */
  GLY_CTL_RADIO,          /* radio button; the radios of one dialog form one group */
  GLY_CTL_CHECK_BOX,      /* check box with its text */
  GLY_CTL_LIST_BOX,       /* unsorted list of texts, one selected item */
  GLY_CTL_REPORT_LIST,    /* rows of columns with headings, several rows selectable */
  GLY_CTL_COMBO,          /* drop-down list to choose from, filled by the code */
  GLY_CTL_ANIMATION,      /* plays animation `resource` in a loop */
  GLY_CTL_PROGRESS        /* progress bar; the code sets its range and position */
} GlyControlKind;

/* Control flags. */
#define GLY_CTL_DISABLED 0x0001u /* starts disabled */
#define GLY_CTL_DEFAULT 0x0002u  /* the dialog's default button */
#define GLY_CTL_READ_ONLY 0x0004u
#define GLY_CTL_WRAP 0x0008u     /* label text wraps inside its rectangle */
/* How a control follows a resized dialog; a dialog with a growing control
 * can be made larger than its template, never smaller. */
#define GLY_CTL_GROW_X 0x0010u   /* widens with the dialog */
#define GLY_CTL_GROW_Y 0x0020u   /* grows taller with the dialog */
#define GLY_CTL_MOVE_X 0x0040u   /* keeps its distance to the right edge */
#define GLY_CTL_MOVE_Y 0x0080u   /* keeps its distance to the bottom edge */

/* Labels, groups and pictures that no code addresses carry this id. */
#define GLY_ID_STATIC (-1)

/* One control. Geometry is in pixels of the dialog's client area. */
typedef struct GlyControlTemplate {
  GlyControlKind kind;
  int id;
  const char* text;
  int x, y, width, height;
  unsigned flags;
  int resource; /* bitmap, icon or menu number, 0 when none */
} GlyControlTemplate;

typedef struct GlyDialogTemplate {
  int id;
  const char* title;
  int width, height; /* client area, pixels */
  const GlyControlTemplate* controls;
  size_t controlCount;
} GlyDialogTemplate;

/* A menu is a tree written flat: each item names its depth. An item with
 * command 0 and a text opens a submenu made of the deeper items after it;
 * an item without text is a separator. */
typedef struct GlyMenuItem {
  int depth;
  const char* text;
  int command;
} GlyMenuItem;

typedef struct GlyMenuTemplate {
  int id;
  const GlyMenuItem* items;
  size_t itemCount;
} GlyMenuTemplate;

typedef struct GlyImageData {
  const unsigned char* png;
  size_t size;
} GlyImageData;

/* A looping animation: `frameCount` frames of equal width side by side in
 * one PNG, each shown for `frameMilliseconds`. */
typedef struct GlyAnimationData {
  const GlyImageData* strip;
  int frameCount;
  int frameMilliseconds;
} GlyAnimationData;

/* Returns the resource of `kind` numbered `id`, or NULL when there is none. */
typedef const void* (*GlyFindResourceFn)(GlyResourceKind kind, int id);

#ifdef __cplusplus
}
#endif

#endif
