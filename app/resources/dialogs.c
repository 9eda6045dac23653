/* Dialog templates. Control ids are the numbers the program's code uses;
 * geometry is in pixels of the client area. */
#include "resource_library.h"
#include "resource_tables.h"

#define COUNT(a) (sizeof(a) / sizeof((a)[0]))
#define S GLY_ID_STATIC

static const GlyControlTemplate about_controls[] = {
    {GLY_CTL_ICON, S, NULL, 20, 20, 48, 48, 0, 128},
    {GLY_CTL_LABEL, S, "GLY Version 0.10", 88, 20, 250, 20, 0, 0},
    {GLY_CTL_LABEL, S, "Printer font and resource manager", 88, 44, 250, 20, 0, 0},
    {GLY_CTL_LABEL, S, "Lists network printers, shows and tidies their fonts and "
                       "downloads fonts, macros and forms to them.",
     88, 68, 256, 60, GLY_CTL_WRAP, 0},
    {GLY_CTL_BUTTON, 1, "OK", 264, 136, 80, 30, GLY_CTL_DEFAULT, 0},
};

/* The status bar (32500) is made by the dialog along its bottom 25 pixels. */
static const GlyControlTemplate main_controls[] = {
    {GLY_CTL_LABEL, 1001, "Select Printers:", 16, 12, 200, 20, 0, 0},
    {GLY_CTL_CHECK_LIST, 1000, NULL, 16, 34, 430, 248, GLY_CTL_GROW_X | GLY_CTL_GROW_Y, 0},
    {GLY_CTL_BUTTON, 1024, "Add &Printer", 462, 34, 142, 30, GLY_CTL_MOVE_X, 0},
    {GLY_CTL_BUTTON, 1002, "&View/Edit Font List", 462, 72, 142, 30, GLY_CTL_DISABLED | GLY_CTL_MOVE_X, 0},
    {GLY_CTL_POPUP_BUTTON, 1003, "Print &Font List  >>", 462, 110, 142, 30, GLY_CTL_DISABLED | GLY_CTL_MOVE_X, 132},
    {GLY_CTL_BUTTON, 1004, "&Manage Resources", 462, 148, 142, 30, GLY_CTL_DISABLED | GLY_CTL_MOVE_X, 0},
    {GLY_CTL_BUTTON, 1045, "Fl&eet Fonts...", 462, 186, 142, 30, GLY_CTL_MOVE_X, 0},
    {GLY_CTL_GROUP, S, "Printer Description", 16, 292, 430, 184, GLY_CTL_MOVE_Y | GLY_CTL_GROW_X, 0},
    {GLY_CTL_BITMAP, 1029, NULL, 30, 318, 104, 104, GLY_CTL_MOVE_Y, 143},
    {GLY_CTL_LABEL, S, "Available Options:", 150, 318, 280, 20, GLY_CTL_MOVE_Y, 0},
    {GLY_CTL_LABEL, 1026, "Printer Hard Disk", 166, 342, 270, 20, GLY_CTL_DISABLED | GLY_CTL_MOVE_Y, 0},
    {GLY_CTL_LABEL, 1027, "Printer Flash Memory", 166, 364, 270, 20, GLY_CTL_DISABLED | GLY_CTL_MOVE_Y, 0},
    {GLY_CTL_LABEL, 1028, "Bi-directional Communication on Font Management", 166, 386, 270, 40,
     GLY_CTL_WRAP | GLY_CTL_MOVE_Y, 0},
    {GLY_CTL_LABEL, 1030, "", 30, 442, 400, 20, GLY_CTL_MOVE_Y, 0},
    {GLY_CTL_BUTTON, 1032, "&Remove Printer", 462, 224, 142, 30, GLY_CTL_DISABLED | GLY_CTL_MOVE_X, 0},
    {GLY_CTL_BITMAP, 1044, NULL, 462, 260, 142, 100, GLY_CTL_MOVE_X, 134},
    {GLY_CTL_BUTTON, 1031, "&About", 462, 366, 142, 30, GLY_CTL_DEFAULT | GLY_CTL_MOVE_X | GLY_CTL_MOVE_Y, 0},
    {GLY_CTL_BUTTON, 57670, "&Help", 462, 404, 142, 30, GLY_CTL_MOVE_X | GLY_CTL_MOVE_Y, 0},
    {GLY_CTL_BUTTON, 2, "&Close", 462, 442, 142, 30, GLY_CTL_MOVE_X | GLY_CTL_MOVE_Y, 0},
};

static const GlyControlTemplate add_printer_controls[] = {
    {GLY_CTL_GROUP, 1049, "Hosts", 12, 10, 356, 86, 0, 0},
    {GLY_CTL_LABEL, S, "IP Address", 28, 34, 160, 20, 0, 0},
    {GLY_CTL_IP_ADDRESS, 1052, NULL, 28, 56, 180, 28, 0, 0},
    {GLY_CTL_BUTTON, 1082, "Add &Printer", 236, 55, 116, 30, 0, 0},
    {GLY_CTL_GROUP, 1081, "Change Subnet", 12, 106, 356, 140, 0, 0},
    {GLY_CTL_LABEL, 1080, "Subnet Address:", 28, 130, 160, 20, 0, 0},
    {GLY_CTL_IP_ADDRESS, 1076, NULL, 28, 150, 180, 28, 0, 0},
    {GLY_CTL_LABEL, 1079, "Subnet Mask:", 28, 184, 160, 20, 0, 0},
    {GLY_CTL_IP_ADDRESS, 1077, NULL, 28, 204, 180, 28, 0, 0},
    {GLY_CTL_BUTTON, 1015, "&Get Printer(s)", 236, 203, 116, 30, 0, 0},
    {GLY_CTL_BUTTON, 1090, "&Find announced printers", 12, 258, 220, 30, 0, 0},
    {GLY_CTL_BUTTON, 2, "Cancel", 288, 258, 80, 30, 0, 0},
};

static const GlyControlTemplate community_controls[] = {
    {GLY_CTL_LABEL, S,
     "    Youy are about to change the community strings of this printer. The community "
     "strings are ASCII strings stored in the printer. ",
     16, 12, 438, 40, GLY_CTL_WRAP, 0},
    {GLY_CTL_LABEL, S,
     "    An incorrect community string may block the communication between the GLY and the "
     "printer SNMP agent. Before you change the community strinngs, please consult your "
     "system administrator.",
     16, 56, 438, 58, GLY_CTL_WRAP, 0},
    {GLY_CTL_LABEL, S, "Old String", 130, 124, 160, 20, 0, 0},
    {GLY_CTL_LABEL, S, "New String", 300, 124, 160, 20, 0, 0},
    {GLY_CTL_LABEL, S, "Read String", 16, 150, 110, 20, 0, 0},
    {GLY_CTL_EDIT, 1087, NULL, 130, 146, 160, 28, GLY_CTL_READ_ONLY, 0},
    {GLY_CTL_EDIT, 1084, NULL, 300, 146, 160, 28, 0, 0},
    {GLY_CTL_LABEL, S, "Write String", 16, 184, 110, 20, 0, 0},
    {GLY_CTL_EDIT, 1088, NULL, 130, 180, 160, 28, GLY_CTL_READ_ONLY, 0},
    {GLY_CTL_EDIT, 1085, NULL, 300, 180, 160, 28, 0, 0},
    {GLY_CTL_LABEL, S, "Trap String", 16, 218, 110, 20, 0, 0},
    {GLY_CTL_EDIT, 1089, NULL, 130, 214, 160, 28, GLY_CTL_READ_ONLY, 0},
    {GLY_CTL_EDIT, 1086, NULL, 300, 214, 160, 28, 0, 0},
    {GLY_CTL_LABEL, S, "PJL Password", 16, 252, 110, 20, 0, 0},
    {GLY_CTL_EDIT, 1090, NULL, 300, 248, 160, 28, 0, 0},
    /* The printer's SNMP version and SNMPv3 settings, kept by the SNMP
     * library: there is nothing old to show. */
    {GLY_CTL_LABEL, S, "SNMP Version", 16, 290, 110, 20, 0, 0},
    {GLY_CTL_COMBO, 1091, NULL, 130, 286, 160, 28, 0, 0},
    {GLY_CTL_LABEL, S, "SNMPv3 User", 16, 324, 110, 20, 0, 0},
    {GLY_CTL_EDIT, 1092, NULL, 130, 320, 160, 28, 0, 0},
    {GLY_CTL_COMBO, 1093, NULL, 300, 320, 160, 28, 0, 0},
    {GLY_CTL_LABEL, S, "Authentication", 16, 358, 110, 20, 0, 0},
    {GLY_CTL_COMBO, 1094, NULL, 130, 354, 160, 28, 0, 0},
    {GLY_CTL_EDIT, 1095, NULL, 300, 354, 160, 28, 0, 0},
    {GLY_CTL_LABEL, S, "Privacy", 16, 392, 110, 20, 0, 0},
    {GLY_CTL_COMBO, 1096, NULL, 130, 388, 160, 28, 0, 0},
    {GLY_CTL_EDIT, 1097, NULL, 300, 388, 160, 28, 0, 0},
    {GLY_CTL_LABEL, S,
     "Passphrases have 8 or more characters; GLY keeps them in memory only, for this run.",
     16, 422, 444, 40, GLY_CTL_WRAP, 0},
    {GLY_CTL_BUTTON, 1, "OK", 290, 472, 80, 30, GLY_CTL_DEFAULT, 0},
    {GLY_CTL_BUTTON, 2, "Cancel", 380, 472, 80, 30, 0, 0},
};

/* The status bar (32500) is made by the dialog along its bottom 25 pixels. */
static const GlyControlTemplate resource_manager_controls[] = {
    {GLY_CTL_LABEL, S, "Selected Printers:", 16, 10, 200, 20, 0, 0},
    {GLY_CTL_LIST_BOX, 1005, NULL, 16, 32, 320, 110, GLY_CTL_GROW_X, 0},
    {GLY_CTL_BUTTON, 1007, "&Edit Printer List...", 350, 32, 150, 30, GLY_CTL_MOVE_X, 0},
    {GLY_CTL_GROUP, S, "Download to", 350, 72, 150, 70, GLY_CTL_MOVE_X, 0},
    {GLY_CTL_RADIO, 1013, "Printer &Hard Disk", 362, 92, 134, 22, GLY_CTL_MOVE_X, 0},
    {GLY_CTL_RADIO, 1014, "Flash &Memory", 362, 114, 134, 22, GLY_CTL_MOVE_X, 0},
    {GLY_CTL_BITMAP, 1044, NULL, 508, 32, 142, 100, GLY_CTL_MOVE_X, 134},
    {GLY_CTL_REPORT_LIST, 1009, NULL, 16, 156, 484, 280, GLY_CTL_GROW_X | GLY_CTL_GROW_Y, 0},
    {GLY_CTL_BUTTON, 1016, "Add to &List", 514, 156, 130, 30, GLY_CTL_MOVE_X, 0},
    {GLY_CTL_BUTTON, 1017, "&Remove from List", 514, 192, 130, 30, GLY_CTL_DISABLED | GLY_CTL_MOVE_X, 0},
    {GLY_CTL_BUTTON, 1010, "&Download to Printer", 514, 228, 130, 30, GLY_CTL_MOVE_X, 0},
    {GLY_CTL_BUTTON, 1015, "&Stop Download", 514, 264, 130, 30, GLY_CTL_DISABLED | GLY_CTL_MOVE_X, 0},
    {GLY_CTL_BUTTON, 1011, "Export to &file", 514, 300, 130, 30, GLY_CTL_MOVE_X, 0},
    {GLY_CTL_BUTTON, 1, "&Close", 514, 370, 130, 30, GLY_CTL_DEFAULT | GLY_CTL_MOVE_X | GLY_CTL_MOVE_Y, 0},
    {GLY_CTL_BUTTON, 57670, "&Help", 514, 406, 130, 30, GLY_CTL_MOVE_X | GLY_CTL_MOVE_Y, 0},
};

static const GlyControlTemplate edit_printer_list_controls[] = {
    {GLY_CTL_CHECK_LIST, 1037, NULL, 16, 16, 360, 210, GLY_CTL_GROW_X | GLY_CTL_GROW_Y, 0},
    {GLY_CTL_BUTTON, 1, "OK", 392, 16, 128, 30, GLY_CTL_DEFAULT | GLY_CTL_MOVE_X, 0},
    {GLY_CTL_BUTTON, 2, "Cancel", 392, 52, 128, 30, GLY_CTL_MOVE_X, 0},
    {GLY_CTL_BUTTON, 1040, "&Apply", 392, 88, 128, 30, GLY_CTL_MOVE_X, 0},
    {GLY_CTL_BITMAP, 1044, NULL, 386, 136, 142, 100, GLY_CTL_MOVE_X, 134},
};

static const GlyControlTemplate conversion_options_controls[] = {
    {GLY_CTL_GROUP, S, "Select font conversion:", 12, 10, 330, 118, 0, 0},
    {GLY_CTL_RADIO, 1013, "TrueType to &PS Type-1 (ASCII)", 26, 34, 306, 22, 0, 0},
    {GLY_CTL_RADIO, 1014, "&TrueType to PCL TrueType (Format -15)", 26, 62, 306, 22, 0, 0},
    {GLY_CTL_RADIO, 1041, "&Both", 26, 90, 306, 22, 0, 0},
    {GLY_CTL_CHECK_BOX, 1073, "&Apply to All", 12, 140, 200, 22, 0, 0},
    {GLY_CTL_BUTTON, 1, "OK", 358, 14, 90, 30, GLY_CTL_DEFAULT, 0},
    {GLY_CTL_BUTTON, 2, "Cancel", 358, 50, 90, 30, 0, 0},
};

static const GlyControlTemplate form_macro_name_controls[] = {
    {GLY_CTL_LABEL, 1075, "Form / Macro Name : ", 12, 20, 150, 20, 0, 0},
    {GLY_CTL_EDIT, 1074, NULL, 162, 16, 200, 28, 0, 0},
    {GLY_CTL_BUTTON, 1, "OK", 378, 14, 80, 30, GLY_CTL_DEFAULT, 0},
    {GLY_CTL_BUTTON, 2, "Cancel", 378, 50, 80, 30, 0, 0},
};

static const GlyControlTemplate font_list_controls[] = {
    {GLY_CTL_LABEL, S, "Selected Printers:", 16, 12, 300, 20, 0, 0},
    {GLY_CTL_COMBO, 1018, NULL, 16, 34, 420, 28, GLY_CTL_GROW_X, 0},
    {GLY_CTL_LABEL, S, "View by Font Types", 452, 12, 240, 20, GLY_CTL_MOVE_X, 0},
    {GLY_CTL_COMBO, 1019, NULL, 452, 34, 240, 28, GLY_CTL_MOVE_X, 0},
    {GLY_CTL_REPORT_LIST, 1009, NULL, 16, 74, 600, 330, GLY_CTL_GROW_X | GLY_CTL_GROW_Y, 0},
    {GLY_CTL_BUTTON, 1021, "D&elete Font", 632, 74, 142, 30, GLY_CTL_DISABLED | GLY_CTL_MOVE_X, 0},
    {GLY_CTL_BUTTON, 1022, "&Add Font...", 632, 112, 142, 30, GLY_CTL_MOVE_X, 0},
    {GLY_CTL_BUTTON, 1023, "Print &Report", 632, 150, 142, 30, GLY_CTL_MOVE_X, 0},
    {GLY_CTL_BITMAP, 1044, NULL, 632, 200, 142, 100, GLY_CTL_MOVE_X, 134},
    {GLY_CTL_BUTTON, 2, "C&lose", 632, 336, 142, 30, GLY_CTL_DEFAULT | GLY_CTL_MOVE_X | GLY_CTL_MOVE_Y, 0},
    {GLY_CTL_BUTTON, 57670, "&Help", 632, 374, 142, 30, GLY_CTL_MOVE_X | GLY_CTL_MOVE_Y, 0},
};

static const GlyControlTemplate delete_fonts_controls[] = {
    {GLY_CTL_LABEL, S, "The Printer", 16, 16, 100, 20, 0, 0},
    {GLY_CTL_EDIT, 1092, NULL, 120, 12, 390, 28, GLY_CTL_READ_ONLY | GLY_CTL_GROW_X, 0},
    {GLY_CTL_REPORT_LIST, 1090, NULL, 16, 52, 510, 240, GLY_CTL_GROW_X | GLY_CTL_GROW_Y, 0},
    {GLY_CTL_BUTTON, 1024, "&Cancel", 300, 306, 110, 30, GLY_CTL_MOVE_X | GLY_CTL_MOVE_Y, 0},
    {GLY_CTL_BUTTON, 1091, "C&lose", 416, 306, 110, 30, GLY_CTL_MOVE_X | GLY_CTL_MOVE_Y, 0},
};

static const GlyControlTemplate print_progress_controls[] = {
    {GLY_CTL_ANIMATION, 1036, NULL, 150, 12, 160, 64, 0, 135},
    {GLY_CTL_LABEL, 1033, "Printing %s on %s on %s  ..", 16, 88, 428, 40, GLY_CTL_WRAP, 0},
    {GLY_CTL_LABEL, 1032, "Page %d of %d, %s left to end ..", 16, 132, 428, 20, 0, 0},
    {GLY_CTL_PROGRESS, 1035, NULL, 16, 160, 360, 22, 0, 0},
    {GLY_CTL_LABEL, 1034, "100%", 388, 160, 56, 22, 0, 0},
    {GLY_CTL_BUTTON, 2, "Cancel", 182, 196, 96, 30, GLY_CTL_DEFAULT, 0},
};

static const GlyControlTemplate job_port_controls[] = {
    {GLY_CTL_GROUP, S, "Send this printer's jobs to", 16, 12, 328, 118, 0, 0},
    {GLY_CTL_RADIO, 1110, "&LPR queue (port 515)", 30, 36, 300, 24, 0, 0},
    {GLY_CTL_RADIO, 1111, "&Raw AppSocket port (9100)", 30, 64, 300, 24, 0, 0},
    {GLY_CTL_RADIO, 1112, "&IPP (port 631)", 30, 92, 300, 24, 0, 0},
    {GLY_CTL_CHECK_BOX, 1113, "&Verify downloads on the printer", 16, 142, 328, 24, 0, 0},
    {GLY_CTL_CHECK_BOX, 1114, "&Pace LPR jobs with fixed waits (older printers)", 16, 170, 328, 24, 0, 0},
    {GLY_CTL_BUTTON, 1, "OK", 174, 208, 80, 30, GLY_CTL_DEFAULT, 0},
    {GLY_CTL_BUTTON, 2, "Cancel", 264, 208, 80, 30, 0, 0},
};

const GlyDialogTemplate gly_dialogs[] = {
    {100, "About GLY", 360, 180, about_controls, COUNT(about_controls)},
    {102, "GLY", 620, 515, main_controls, COUNT(main_controls)},
    {129, "Resource Manager", 660, 475, resource_manager_controls, COUNT(resource_manager_controls)},
    {136, "Edit Printer List", 536, 242, edit_printer_list_controls, COUNT(edit_printer_list_controls)},
    {139, "Font Conversion Options", 460, 176, conversion_options_controls,
     COUNT(conversion_options_controls)},
    {130, "Printer Font List", 790, 445, font_list_controls, COUNT(font_list_controls)},
    {140, "Add Printer Options", 380, 300, add_printer_controls, COUNT(add_printer_controls)},
    {142, "Form / Macro Name", 470, 94, form_macro_name_controls, COUNT(form_macro_name_controls)},
    {145, "Changing Printer Community Strings", 476, 516, community_controls,
     COUNT(community_controls)},
    {147, "Job Port", 360, 250, job_port_controls, COUNT(job_port_controls)},
    {146, "Delete Fonts", 542, 350, delete_fonts_controls, COUNT(delete_fonts_controls)},
    {135, "Printing %s in progress ..", 460, 240, print_progress_controls, COUNT(print_progress_controls)},
};
const size_t gly_dialog_count = COUNT(gly_dialogs);
