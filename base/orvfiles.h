// Small operations on file names and files: dialog filters and masks, file sizes, paths
// shortened for display or made relative, and the backup copy kept beside a file before it is
// overwritten. Also the two constant text tables of the base library: the input/output error
// texts and the colour names.
//
// Paths may use "\" or "/" as separators; "X:\" and a leading separator are roots. Path texts
// are passed to the file system byte for byte. ShortenPath and MakeRelativePath are for
// display: they never confine a path to a folder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/exception.h"
#include "base/orvclasses.h"

namespace quin {

// "*" + Ext when Ext starts with "."; otherwise "*." + Ext ("zop" and ".zop" give "*.zop").
std::string ExtToMask(std::string_view Ext);

// A file-dialog filter: "Name (Mask)|Mask" for each pair, joined by "|", followed by the
// translated "All files (*.*)|*.*" when AddAllFiles is set. Arrays of different lengths give
// an empty filter.
std::string MakeDialogFilter(const TDynStringArr& Names, const TDynStringArr& Masks,
                             bool AddAllFiles);

// The size of the file in bytes, opened read-only with sharing allowed. A file that cannot be
// opened raises EFOpenError.
int64_t FileSizeByName(const std::string& FileName);

// Path for display, at most MaxLen characters: while it is too long, the first folder after
// the root (or the first folder of a relative path) becomes "...", then each further step
// removes the folder after "...\". Stops when the path fits, when no folder is left to remove
// or when only one separator remains; the result is finally cut to MaxLen (0 when negative).
std::string ShortenPath(std::string_view Path, int MaxLen);

// FileName with its extension replaced by ".~" + the old extension without its dot
// ("report.zor" gives "report.~zor"; a name without extension gets ".~").
std::string BackupFileName(std::string_view FileName);

// Raised when a backup copy cannot be made (the file to be saved is then left untouched).
class EBackupError : public Exception {
 public:
  EBackupError(std::string AFileName, int AErrorCode);
  std::string FileName;  // the backup name
  int ErrorCode;         // the system's error number
};

// Keeps a backup of FileName before it is overwritten. An existing empty file leaves
// everything unchanged. Otherwise an existing backup (BackupFileName) is deleted, then, when
// FileName exists, it is copied (Copy set) or moved to the backup name. A backup that cannot
// be deleted or made raises EBackupError; so does a backup name or file that is a folder.
void BackupFile(const std::string& FileName, bool Copy);

// Path without the prefix Base + separator when Path starts with it, without regard to ASCII
// case ("\" and "/" count as the same separator); otherwise Path unchanged. An empty Base
// leaves Path unchanged.
std::string MakeRelativePath(std::string_view Path, std::string_view Base);
// MakeRelativePath against the current directory.
std::string MakeRelativeToCurrentDir(std::string_view Path);

// ----- Text tables

// One Name=Value row of a constant text table; Value is a bilingual text in Windows-1250.
struct TTextTableEntry {
  std::string Name;
  std::string Value;
};
using TTextTable = std::vector<TTextTableEntry>;

// The 31 input/output error texts, keyed "IOErrNNNN" (NNNN: the error code in four digits).
const TTextTable& IOErrorTexts();
// The 53 colour names keyed by the colour constant names, "Custom..." first.
const TTextTable& ColorNames();
// The value of the row named Name (ASCII case ignored); empty when there is none.
std::string TextTableValue(const TTextTable& Table, std::string_view Name);

// "IOErr" + the code in four digits ("IOErr0002"); empty for a code outside 0..9999.
std::string IOErrorKey(int Code);
// The bilingual text of an input/output error code; empty when the table has none.
std::string IOErrorText(int Code);
// The input/output error code that a system error number stands for (EIO gives the read or
// the write error after Writing); 0 when there is none.
int IOErrorCodeOfErrno(int Errno, bool Writing = false);

}  // namespace quin
