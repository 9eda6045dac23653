/* The string table: message box texts and other texts the code asks for by
 * number. */
#include "resource_library.h"
#include "resource_tables.h"

#define COUNT(a) (sizeof(a) / sizeof((a)[0]))

const GlyStringEntry gly_strings[] = {
    {101, "&About GLY..."},
    {103, "Windows sockets initialization failed."},
    {104, "Resource not found"},
    {32774, "Incomplete IP Address."},
    {32775, "This is not a valid Printer IP Address"},
    {32791, "Please complete the subnet address and mask."},
    {32792, "This printer IP is already in the list."},
    {32793, "You have successfully added the Printer."},
    {32794, "Please select a Printer and try again."},
    {32798, "Do you really want to delete the selected font(s)?"},
    {32799, "Font Name"},
    {32800, "Font Type"},
    {32801, "Status"},
    {32802, "GLY can't delete permanent fonts."},
    {32803, "Some of the fonts you selected are permanent. GYL can't delete permanent fonts."},
    {32804, "Deleting  is  not  completed. Do you want to stop it?"},
    {32805, "All fonts have been successfully deleted."},
    {32806, "The printer deleted some of your selected fonts. But it can't delete all fonts."},
    {32807, "No fonts have been deleted."},
    {32809, "Font Name"},
    {32810, "Resource Type"},
    {32811, "Font /Macro ID"},
    {32812, "Persistance"},
    {32813, "Location"},
    {32815, "IP Address: "},
    {32816, "RAM"},
    {32817, "In RAM"},
    {32818, "Hard Disk"},
    {32819, "In ROM"},
    {32820, "Flash Memory"},
    {32821, "Permanent"},
    {32822, "Downloaded"},
    {32823, "Status Bar not created!"},
    {32824, "Socket failure! Please check the printer and try again."},
    {32830, "%d Font(s)"},
    {32840, "Ther e is an error in Inputs."},
    {32841, "File not found."},
    {32842, "Can't write into the file."},
    {32850, "Please select font(s) to download."},
    {32851, "Invalid font file."},
    {32852, "The downloading process will be stopped."},
    {32853, "GLY can't close this window when downloading a font."},
    {32854, "The saved file name is %s, You can download it later\n"
            " from the command line ..\\:\\copy /b filename \\PrinterName"},
    {32855, "%d Printer(s)"},
    {32856, "Ready"},
    {32857, "File Name"},
    {32858, "Out of memory"},
};
const size_t gly_string_count = COUNT(gly_strings);
