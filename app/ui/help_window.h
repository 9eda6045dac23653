// The program's help: the help file shown in a window of the program's
// own, at the section of the window that asks for it.
#pragma once

#include <string>

class QWidget;

// Sections of the help file, by the window whose Help button opens them.
namespace help_page {
inline constexpr char kMainWindow[] = "main";
inline constexpr char kFontList[] = "fonts";
inline constexpr char kResourceManager[] = "resources";
}  // namespace help_page

// Shows the help file at `path` scrolled to section `page` in a help window
// over `parent`. The window is not modal, so that it stays open beside the
// window it explains, and closes with that window at the latest; asking
// again from the same window shows the new section in the same help window.
QWidget* ShowHelp(const std::string& path, const std::string& page, QWidget* parent);
