/* Menu templates. */
#include "resource_library.h"
#include "resource_tables.h"

#define COUNT(a) (sizeof(a) / sizeof((a)[0]))

static const GlyMenuItem print_font_list_items[] = {
    {0, "Print Font List", 0},
    {1, "PCL Font List", 32771},
    {1, "PS Font List", 32772},
};

static const GlyMenuItem printer_items[] = {
    {0, "Printer", 0},
    {1, "Change Community String", 32775},
    {1, "Job Port...", 32778},
    {1, NULL, 0},
    {1, "Save Printer List...", 32776},
    {1, "Open Printer List...", 32777},
    {1, NULL, 0},
    {1, "Remove Printer", 1032},
};

/* The main window's menu bar. Its menus' mnemonics differ from those of
 * the window's buttons; a tab leads to an item's shortcut. */
static const GlyMenuItem main_menu_bar_items[] = {
    {0, "Prin&ter", 0},
    {1, "&Add Printer...\tCtrl+N", 1024},
    {1, "&Find on a Subnet...\tCtrl+F", 33031},
    {1, "Find A&nnounced Printers...", 33032},
    {1, "&Remove Printer\tDel", 1032},
    {1, NULL, 0},
    {1, "&Community Strings...", 32775},
    {1, "&Job Port...", 32778},
    {1, NULL, 0},
    {1, "&Save Printer List...\tCtrl+S", 32776},
    {1, "&Open Printer List...\tCtrl+O", 32777},
    {0, "F&onts", 0},
    {1, "&Font List...\tCtrl+L", 1002},
    {1, "&Print Font List", 0},
    {2, "P&CL Font List", 32771},
    {2, "P&S Font List", 32772},
    {1, "Fl&eet Fonts...", 33033},
    {0, "Re&sources", 0},
    {1, "&Manage Resources...\tCtrl+M", 1004},
    {0, "He&lp", 0},
    {1, "&Contents\tF1", 57670},
    {1, "&About GLY...", 1031},
};

const GlyMenuTemplate gly_menus[] = {
    {132, print_font_list_items, COUNT(print_font_list_items)},
    {133, printer_items, COUNT(printer_items)},
    {150, main_menu_bar_items, COUNT(main_menu_bar_items)},
};
const size_t gly_menu_count = COUNT(gly_menus);
