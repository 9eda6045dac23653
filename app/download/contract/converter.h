/* The font converter library (libConverter.so): recognising font files and
 * converting them into the forms the download jobs carry.
 *
 * Plain C functions; paths are NUL-terminated 8-bit strings. Every result is
 * 0 for success and non-zero for failure. A failed conversion leaves nothing
 * at its output path. All functions may run on several threads at once. */
#ifndef GLY_DOWNLOAD_CONVERTER_H
#define GLY_DOWNLOAD_CONVERTER_H

#include <stdint.h>

#if defined(GLY_CONVERTER_BUILD)
#define GLY_CONVERTER_API __attribute__((visibility("default")))
#else
#define GLY_CONVERTER_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* What kind of resource a font file is. kind: 1 TrueType, 2 PCL soft font,
 * 3 PostScript font, 0 none. subtype for kind 3: bit 15 set for a binary
 * (PFB) file, bits 0-14 the FontType; for kind 2 the PCL font header format
 * (0 bitmap, 10, 11, 15 TrueType, 16, 20); unused for kind 1. */
typedef struct ResourceKindInfo {
  uint16_t kind;
  uint16_t subtype;
} ResourceKindInfo;

enum { GLY_FONT_NAME_SIZE = 40, GLY_PFB_SUBTYPE_FLAG = 0x8000 };

/* Recognises the font at path. On 0, fontName (GLY_FONT_NAME_SIZE bytes,
 * zero-filled by the caller) holds its PostScript name or PCL font name,
 * cut to 39 bytes, and kindInfo its kind and subtype. On non-zero the file
 * is not a font and fontName stays empty. */
GLY_CONVERTER_API int ClassifyFontFile(const char* path, char* fontName,
                                       ResourceKindInfo* kindInfo);

/* Writes the binary (PFB) PostScript font at pfbPath as a line-oriented
 * ASCII (PFA) font at pfaPath. */
GLY_CONVERTER_API int ConvertPfbToPfa(const char* pfbPath, const char* pfaPath);

/* First step of TrueType to Type 1: writes the font as an unencrypted Type 1
 * program in the disassembled text form (charstrings as commands). */
GLY_CONVERTER_API int ConvertTrueTypeToType1(const char* trueTypePath,
                                             const char* outputPath);

/* Second step: encrypts the program written by ConvertTrueTypeToType1 into a
 * PFA font at outputPath. reserved must be 0. */
GLY_CONVERTER_API int FinishType1Conversion(const char* type1ProgramPath,
                                            const char* outputPath,
                                            int reserved);

/* Writes the TrueType font as a PCL 5 soft font of header format 15
 * (TrueType scalable), ready to be stored on a printer by a PJL file-system
 * download; format 16 (the same with 32-bit segment sizes) when its header
 * is too large for format 15. The font is bound to the PCL symbol set that
 * holds the most of its characters, ISO 8859-1 Latin 1 (0N) when none holds
 * more, or, when it has more characters than any one set holds (with or
 * without ASCII), unbound: each character under its Unicode value, with a
 * character complement by which printers map text of their own symbol sets
 * onto it. Character codes are 16-bit: characters above the Basic
 * Multilingual Plane go, in Unicode order, under the Private Use Area codes
 * from U+E000 on that the font itself leaves free. A font without a Unicode
 * map is read through its symbol map (whose codes are Private Use characters)
 * or its Macintosh map; one without any map carries its glyphs in glyph
 * order under those Private Use codes. Characters that cannot be
 * carried are left out, and the conversion still succeeds;
 * ConvertTrueTypeToPclTrueTypeReporting tells how many. A font without any
 * character a PCL font can carry is refused. ClassifyFontFile
 * reports the result as kind 2, subtype 15 or 16, under the 16-byte name its
 * header carries. */
GLY_CONVERTER_API int ConvertTrueTypeToPclTrueType(const char* trueTypePath,
                                                   const char* outputPath);

enum { GLY_PCL_REASON_SIZE = 96 };

/* What ConvertTrueTypeToPclTrueTypeReporting tells besides its result. */
typedef struct PclConversionReport {
  uint32_t charactersMapped;  /* characters the font's map names (its glyphs
                                 when it has no map) */
  uint32_t charactersCarried; /* of those, characters the PCL font holds;
                                 the difference is what was left out */
  char symbolSet[8];          /* "0N", "19U", ... or "unbound"; empty on failure */
  char failure[GLY_PCL_REASON_SIZE]; /* on failure, why (NUL-terminated) */
  /* Unbound fonts: how many characters above the Basic Multilingual Plane
   * the font carries under Private Use Area codes, and the first of those
   * codes (0 when none); text reaches them by those codes. */
  uint32_t privateUseCharacters;
  uint32_t firstPrivateUseCode;
  /* 1 when the font is unbound (symbolSet "unbound"), 0 when bound. */
  uint32_t unbound;
  /* The symbol set a job selects to print the font's characters by their
   * codes: the bound set itself, or for an unbound font "18N" (Unicode),
   * whose text is sent as UTF-8 (text parsing method 83). Empty on
   * failure. */
  char selectSymbolSet[8];
} PclConversionReport;

/* ConvertTrueTypeToPclTrueType, filling *report (which may be null) on
 * success and failure alike. */
GLY_CONVERTER_API int ConvertTrueTypeToPclTrueTypeReporting(const char* trueTypePath,
                                                            const char* outputPath,
                                                            PclConversionReport* report);

#ifdef __cplusplus
}
#endif

#endif
