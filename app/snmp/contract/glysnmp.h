// The SNMP access library (libGLYSNMP.so): the program's only way to talk
// SNMP to printers. The program links against these functions by name; the
// ordinal of each operation in the original library is noted beside it.
//
// This header and snmp_records.h are all the library sees of the program.
//
// Threads: the deletion operations (SnmpDeleteFont*) are called from the
// font deletion worker, and the download's questions (SnmpGetFontTable,
// SnmpQueryStoredFile, SnmpQueryStoredFileSize) from the download worker;
// SnmpAddPrinter and SnmpDiscoverPrinters from a thread of their own, so
// that the window keeps answering while they wait (the program carries
// the PrinterFoundCallback's reports over to its user-interface thread);
// every other operation runs on the user-interface thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "snmp_records.h"

// Library state kept in the main window; zero before SnmpInitContext and
// interpreted only by the library.
struct SnmpContext {
  uint32_t words[3];
};

// What the library reports about a device that answered.
struct DeviceInfo {
  uint32_t address;        // IPv4, first octet in the most significant byte
  char systemId[48];       // sysObjectID as dotted text, matched against ModelProfile::systemId
  char deviceName[32];     // sysName
  char description[256];   // sysDescr, NUL-terminated
  uint8_t reserved[4];     // the library may fill up to 344 bytes
};
static_assert(sizeof(DeviceInfo) == 344);
static_assert(offsetof(DeviceInfo, systemId) == 4);
static_assert(offsetof(DeviceInfo, deviceName) == 52);
static_assert(offsetof(DeviceInfo, description) == 84);

// Called for each printer found; `device` lives only during the call.
typedef void (*PrinterFoundCallback)(const DeviceInfo* device, void* context);

// `count` consecutive entries. Lists filled by SnmpGetFontList or
// SnmpGetFontListFrom are released with SnmpFreeFontList, and only those.
struct FontList {
  int32_t count;
  FontEntry* entries;
};

// One font deletion run: the printer and a word the library may use between
// calls (0 at the start of the run).
struct DeleteContext {
  PrinterRecord* printer;
  int32_t state;
};

// Every result of the library's calls, one row each: XX(name, value, text).
// No two results share a value; the constants below and the texts of
// SnmpResultText come from this table. The program itself looks only at 0
// and at SnmpAddPrinter's results; glyctl at all of them.
#define GLYSNMP_RESULT_MAP(XX)                                                                      \
  XX(kSnmpOk, 0, "done")                                                                            \
  /* SnmpAddPrinter */                                                                              \
  XX(kSnmpAddAlreadyListed, 1, "already in the list")                                               \
  XX(kSnmpAddNotAPrinter, 2, "not a printer")                                                       \
  /* Why a printer without the font table gave no font list; kSnmpNoFontTable: SnmpGetFontTable */ \
  XX(kSnmpFontsNoFileSystemAccess, 3, "the printer's file system cannot be reached")                \
  XX(kSnmpFontsFileSystemLocked, 4, "the printer's file system wants a PJL password")               \
  XX(kSnmpNoFontTable, 5, "the printer has no font table")                                          \
  /* SnmpQueryStoredFile */                                                                         \
  XX(kSnmpFileNotStored, 6, "the printer does not hold the file")                                   \
  XX(kSnmpFileUnknown, 7, "the printer could not be asked for the file")                            \
  /* A PJL listing or deletion (SnmpGetFontList..., SnmpDeleteFontStart) ended by its bounds */     \
  XX(kSnmpPjlDeadlinePassed, 8, "the printer's PJL answers took longer than the whole exchange may last")   \
  XX(kSnmpPjlTooManyRequests, 9, "the printer's PJL answers needed more requests than an exchange may make") \
  /* Why a printer without the font table gave no font list, when a PJL password was given */     \
  XX(kSnmpFontsPjlPasswordWrong, 10, "the printer's file system refuses the PJL password given")    \
  /* SnmpGetReportedStorage */                                                                      \
  XX(kSnmpStorageUnreported, 11, "the printer tells nothing of its storage")                        \
  /* Failures of any call */                                                                        \
  XX(kSnmpNoAnswer, -1, "no answer")                                                                \
  XX(kSnmpBadArgument, -2, "bad argument")                                                          \
  XX(kSnmpNoSession, -3, "no SNMP session could be opened")                                         \
  XX(kSnmpOutOfMemory, -4, "out of memory")                                                         \
  XX(kSnmpMalformedAnswer, -5, "the printer's answer could not be read")                            \
  XX(kSnmpRefused, -6, "the printer refused the request")                                           \
  /* SNMPv3 */                                                                                      \
  XX(kSnmpAuthenticationFailed, -10, "authentication failed")                                       \
  XX(kSnmpUnknownUser, -11, "unknown user")                                                         \
  XX(kSnmpLevelNotAllowed, -12, "security level not allowed for this user")                         \
  XX(kSnmpDecryptionFailed, -13, "decryption failed")                                               \
  XX(kSnmpPassphraseTooShort, -14, "a passphrase is shorter than 8 or longer than 255 characters")  \
  XX(kSnmpSecurityInvalid, -15, "invalid SNMP version, security level, protocol or user")

enum SnmpResult : int32_t {
#define GLYSNMP_RESULT_CONSTANT(name, value, text) name = (value),
  GLYSNMP_RESULT_MAP(GLYSNMP_RESULT_CONSTANT)
#undef GLYSNMP_RESULT_CONSTANT
  // Success, as SnmpAddPrinter and SnmpQueryStoredFile name it.
  kSnmpAddAnswered = kSnmpOk,
  kSnmpFileStored = kSnmpOk,
};

extern "C" {

// (7) Once, when the main window starts; printer reports may arrive through
// `onPrinterFound` with `callbackContext` from then on. `reserved` is 0.
int32_t SnmpInitContext(SnmpContext* context, PrinterFoundCallback onPrinterFound,
                        void* callbackContext, uint32_t reserved);

// (10) 0: `address` holds the address first offered for adding a printer.
int32_t SnmpGetDefaultAddress(uint32_t* address);

// (11) A discovery target for SnmpDiscoverPrinters, opaque to the program.
uint32_t SnmpSubnetTarget(uint32_t subnetAddress, uint32_t subnetMask);

// (9) Reports every printer found through the PrinterFoundCallback before it
// returns. `reserved1` and `reserved2` are 0.
int32_t SnmpDiscoverPrinters(SnmpContext* context, uint32_t target, uint32_t reserved1,
                             uint32_t reserved2);

// (12) kSnmpAddAnswered (`device` filled), kSnmpAddAlreadyListed,
// kSnmpAddNotAPrinter (a device answered that is no printer), kSnmpNoAnswer
// (nothing answered), kSnmpMalformedAnswer (an answer that could not be
// read), or a failure of the SNMPv3 security.
int32_t SnmpAddPrinter(SnmpContext* context, uint32_t address, DeviceInfo* device);

// Added call: forgets that `address` was added or reported through
// `context`, so that adding it again asks the device and a search reports
// it again. What the library keeps for the address (SNMP version and
// security, PJL password) stays. 0, or kSnmpBadArgument.
int32_t SnmpForgetPrinter(SnmpContext* context, uint32_t address);

// (4) Fills printer->storageOptions (PrinterStorage).
int32_t SnmpGetPrinterOptions(PrinterRecord* printer);

// Added call: the storage the printer itself reports, which decides over a
// model profile's StorageIndex. 0: `*storageOptions` holds the kinds of the
// usable areas it reported (kStorageNone when none is usable);
// kSnmpStorageUnreported when it reported no storage area at all (neither
// over SNMP nor over PJL); a failure as SnmpGetPrinterOptions's otherwise.
// `*storageOptions` is kStorageNone on every result but 0.
int32_t SnmpGetReportedStorage(PrinterRecord* printer, uint32_t* storageOptions);

// (1) 0: `fonts` holds the printer's whole font table. Otherwise it is left
// empty.
int32_t SnmpGetFontList(PrinterRecord* printer, FontList* fonts);

// (2) Fills `fonts` with the entries that follow the font whose index is
// `afterIndex`; a count of 0 means there is nothing further.
int32_t SnmpGetFontListFrom(PrinterRecord* printer, FontList* fonts, int32_t afterIndex);

// (6) Releases what (1) or (2) returned and leaves `fonts` empty.
int32_t SnmpFreeFontList(FontList* fonts);

// (18) 0: the printer accepted the request to delete font `fontIndex`;
// kSnmpRefused when it answered with an error, or with a value other than
// the one set.
int32_t SnmpDeleteFontStart(DeleteContext* context, int32_t fontIndex);

// (19) The font is gone when this returns 0 and `*pending` is 0; anything
// else means the deletion is still pending.
int32_t SnmpDeleteFontPoll(DeleteContext* context, int32_t fontIndex, uint32_t* pending);

// (20) Ends a deletion run, however it ended.
int32_t SnmpDeleteFontEnd(DeleteContext* context);

}  // extern "C"

// Added calls, beyond the original library: what a printer tells of itself
// besides its record, for glyctl. The program does not call them, and the
// calls above work without them.

// How the library reads a printer's font list.
enum SnmpFontSource : int32_t {
  kFontSourceNone = 0,  // the printer offers no way the library knows
  kFontSourceFontMib = 1,  // its font table (GLY-FONT-MIB) over SNMP
  kFontSourcePjl = 2,
  kFontSourcePclReadback = 3,
  kFontSourcePostScript = 4,
};

// A size the printer did not give.
inline constexpr uint64_t kSnmpUnknownSize = UINT64_MAX;

// One hard disk or flash memory of the printer.
struct SnmpStorageArea {
  uint32_t kind;           // kStorageHardDisk or kStorageFlash
  uint32_t usable;         // 1: present, writable and not full; it counts in storageOptions
  uint64_t capacityBytes;  // or kSnmpUnknownSize
  uint64_t freeBytes;      // or kSnmpUnknownSize
  char description[64];    // as the printer names it, NUL-terminated
};

inline constexpr uint32_t kSnmpMostStorageAreas = 8;

struct SnmpPrinterDetails {
  char systemId[48];      // as DeviceInfo::systemId
  char model[256];        // the printer's model text, as DeviceInfo::description
  char serialNumber[64];  // from the Printer MIB; empty when the printer does not give it
  int32_t fontSource;     // SnmpFontSource
  uint32_t storageCount;  // areas in `storage`, in the printer's order
  SnmpStorageArea storage[kSnmpMostStorageAreas];
};

extern "C" {

// 0: `details` describes the printer, asked with the record's read
// community; anything it did not answer is left empty. Non-zero when it did
// not answer at all (`details` is then cleared).
int32_t SnmpGetPrinterDetails(PrinterRecord* printer, SnmpPrinterDetails* details);
// The PJL password (0: none) the printer at `address` wants for its file
// system, used by every later call that reads or deletes its fonts over
// PJL.
int32_t SnmpSetPjlPassword(uint32_t address, uint32_t password);

// Added calls: what a printer speaks and where it takes jobs, from the
// Printer MIB's interpreter and channel tables and its IEEE 1284 device
// ID's command set. For the details glyctl shows, and for the download's
// check before it sends.

// Printer languages, as bits of SnmpPrinterAbilities::languages.
enum SnmpLanguage : uint32_t {
  kLanguagePcl = 1u << 0,
  kLanguagePclXl = 1u << 1,
  kLanguagePjl = 1u << 2,
  kLanguagePostScript = 1u << 3,
  kLanguagePdf = 1u << 4,
  kLanguageOther = 1u << 5,  // a language the program has no use for (HP-GL, XPS, URF...)
};

// What a channel of the printer is for the program.
enum SnmpChannelKind : int32_t {
  kChannelOther = 0,
  kChannelLpd = 1,  // chLPDServer
  kChannelRaw = 2,  // chPort9100, chAppSocket
  kChannelIpp = 3,  // chIPP
};

struct SnmpChannel {
  int32_t kind;     // SnmpChannelKind
  int32_t type;     // prtChannelType as the printer gave it
  uint32_t enabled; // 1: prtChannelState printDataAccepted (or a state the MIB leaves open)
};

inline constexpr uint32_t kSnmpMostChannels = 16;

struct SnmpPrinterAbilities {
  uint32_t languages;     // SnmpLanguage bits; 0 when the printer named none
  uint32_t channelCount;  // channels in `channels`, in the printer's order
  SnmpChannel channels[kSnmpMostChannels];
};

extern "C" {

// 0: `abilities` holds the languages of the printer's interpreter table and
// its device ID's command set, and the rows of its channel table; either may
// be empty. kSnmpNoAnswer (or a security failure) when it did not answer;
// `abilities` is then cleared.
int32_t SnmpGetPrinterAbilities(PrinterRecord* printer, SnmpPrinterAbilities* abilities);

}  // extern "C"

// Added calls with which a download confirms what it sent; the program calls
// them from its download worker, on that worker's thread (any thread may).

// As SnmpGetFontList, from the printer's font table alone: kSnmpNoFontTable
// when it has none (nothing is asked over PJL then). The list is released
// with SnmpFreeFontList.
int32_t SnmpGetFontTable(PrinterRecord* printer, FontList* fonts);
// Whether the printer at `address` holds the file `printerPath`, a PJL path
// such as "0:\pcl\fonts\Gothic", asked with PJL FSQUERY on its AppSocket
// port with the PJL password set for it: kSnmpFileStored; kSnmpFileNotStored
// when it answered that there is no such file (or no such volume);
// kSnmpFileUnknown when it could not be asked (no connection or no reply,
// its file-system commands ignored or locked by a PJL password, an answer
// that says neither). A path with a double quote or a control byte is not
// sent (kSnmpFileUnknown).
int32_t SnmpQueryStoredFile(uint32_t address, const char* printerPath);
// As SnmpQueryStoredFile; besides, on kSnmpFileStored `*size` is the file's
// size in bytes as the printer gave it (FSQUERY's SIZE=), and
// kSnmpUnknownSize when it gave none or anything but a number, and on every
// other result.
int32_t SnmpQueryStoredFileSize(uint32_t address, const char* printerPath, uint64_t* size);
// SnmpStoredFileResult: the first bytes of the file `printerPath` as the
// printer at `address` holds it, asked with PJL FSUPLOAD as
// SnmpQueryStoredFile asks: on kSnmpFileStored up to `capacity` bytes from
// its start are in `head` and their count in `*length` (fewer when the
// file is shorter); `*length` is 0 on every other result.
int32_t SnmpUploadStoredFileHead(uint32_t address, const char* printerPath, char* head, uint32_t capacity,
                                 uint32_t* length);
// The PJL password set with SnmpSetPjlPassword for `address` (0: none), for
// the jobs a download sends to that printer.
int32_t SnmpGetPjlPassword(uint32_t address, uint32_t* password);

}  // extern "C"

// Added calls: the SNMP version and SNMPv3 (user-based) security of each
// printer. The 524-byte record has no room for them, so the library keeps
// them itself, keyed by the record's `address`, as it keeps PJL passwords:
// a copy of a record finds the same settings as the listed one, and no
// record changes size. A printer without settings here is asked as before:
// v1 when its snmpLevel is 1, else v2c, with the record's communities.

enum SnmpProtocolVersion : int32_t {
  kSnmpVersion1 = 1,
  kSnmpVersion2c = 2,
  kSnmpVersion3 = 3,
};

enum SnmpSecurityLevel : int32_t {
  kSnmpNoAuthNoPriv = 1,
  kSnmpAuthNoPriv = 2,
  kSnmpAuthPriv = 3,
};

// There is no default protocol: 0 is refused for a level that needs one,
// and the weak MD5 and DES are taken only when named.
enum SnmpAuthProtocol : int32_t {
  kSnmpAuthSha1 = 1,
  kSnmpAuthSha224 = 2,
  kSnmpAuthSha256 = 3,
  kSnmpAuthSha384 = 4,
  kSnmpAuthSha512 = 5,
  kSnmpAuthMd5 = 6,
};

// AES-192 and AES-256 come with two ways of making the longer key from the
// passphrase: the draft's (Blumenthal) and the one many agents use
// instead (Reeder, net-snmp's "AES-192-C" and "AES-256-C").
enum SnmpPrivProtocol : int32_t {
  kSnmpPrivAes128 = 1,
  kSnmpPrivAes192 = 2,
  kSnmpPrivAes256 = 3,
  kSnmpPrivAes192C = 4,
  kSnmpPrivAes256C = 5,
  kSnmpPrivDes = 6,
};

inline constexpr size_t kSnmpMostUserLength = 32;
inline constexpr size_t kSnmpLeastPassphraseLength = 8;
inline constexpr size_t kSnmpMostPassphraseLength = 255;

// How to ask one printer. For v1 and v2c only `version` counts (the
// communities stay the record's). For v3: `user`, `level`, and for
// authNoPriv and authPriv `authProtocol` and `authPassphrase`, for authPriv
// `privProtocol` and `privPassphrase` too. The agent's engine ID is
// discovered on each exchange. Texts end with NUL.
struct SnmpSecurity {
  int32_t version;       // SnmpProtocolVersion
  int32_t level;         // SnmpSecurityLevel
  int32_t authProtocol;  // SnmpAuthProtocol
  int32_t privProtocol;  // SnmpPrivProtocol
  char user[kSnmpMostUserLength + 1];
  char authPassphrase[kSnmpMostPassphraseLength + 1];
  char privPassphrase[kSnmpMostPassphraseLength + 1];
};
static_assert(sizeof(SnmpSecurity) == 564);

// The SNMPv3 results of the table: kSnmpAuthenticationFailed, the agent
// refused the digest (wrong passphrase or protocol); kSnmpLevelNotAllowed,
// the user has no such security level (a noAuth user asked for authPriv);
// kSnmpDecryptionFailed, wrong privacy passphrase or protocol;
// kSnmpPassphraseTooShort, shorter than kSnmpLeastPassphraseLength or
// longer than the most; kSnmpSecurityInvalid, an unknown version, level or
// protocol, or a bad user name.

extern "C" {

// The version and security the printer at `address` is asked with from now
// on, or (null) back to what its record says. The library keeps keys made
// from the passphrases, in memory only, and neither passphrase; it wipes
// the keys when they are replaced or dropped. The caller wipes its own
// copy. 0, kSnmpPassphraseTooShort or kSnmpSecurityInvalid (nothing
// changes then).
int32_t SnmpSetPrinterSecurity(uint32_t address, const SnmpSecurity* security);

// The same for devices not yet listed, which SnmpDiscoverPrinters and
// SnmpAddPrinter ask; null goes back to v2c with the library's community.
// A printer found or added so gets the same settings for its address.
int32_t SnmpSetDiscoverySecurity(const SnmpSecurity* security);

// The text of GLYSNMP_RESULT_MAP for a result of any call here, "unknown
// result" for a value it does not hold; never null.
const char* SnmpResultText(int32_t result);

}  // extern "C"
