// Texts that come from a printer or a file (a sysName, a model, a font name,
// an IPP status message, a file name, a line of a printer list) made safe to
// show: on a terminal, in CSV or JSON, in a window or in an error message.
//
// Each control character (C0 0x00-0x1F, DEL 0x7F, C1 0x80-0x9F, as a byte
// of a single-byte text or as U+0080-U+009F in UTF-8), each bidirectional
// override or isolate (U+202A-U+202E, U+2066-U+2069) and each byte of an
// invalid UTF-8 sequence is shown as one '?'. A terminal then has nothing
// to act on (no ESC or CSI, no OSC that sets its title, no carriage return
// that overwrites a line), and no text is shown in an order other than its
// own.
#pragma once

#include <string>
#include <string_view>

inline constexpr char kUnshownMark = '?';

// A single-byte (Latin-1) text, as the program keeps its texts, with its
// control bytes replaced; still single-byte.
std::string ShownSingleByte(std::string_view text);

// A UTF-8 text with its controls, bidi overrides and invalid bytes
// replaced; still UTF-8.
std::string ShownUtf8(std::string_view text);

// A UTF-8 text (as libcups gives what a printer said) as a shown
// single-byte text: characters of Latin-1 kept, every other one '?'.
std::string ShownUtf8AsSingleByte(std::string_view text);
