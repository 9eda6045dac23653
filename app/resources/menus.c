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
};

const GlyMenuTemplate gly_menus[] = {
    {132, print_font_list_items, COUNT(print_font_list_items)},
    {133, printer_items, COUNT(printer_items)},
};
const size_t gly_menu_count = COUNT(gly_menus);
