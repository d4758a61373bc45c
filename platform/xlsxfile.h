// Writes a workbook as an .xlsx file (libxlsxwriter). Texts are recoded from Windows-1250 to
// UTF-8; the charts' data go to one hidden worksheet after the last sheet.
#pragma once

#include <string>

#include "platform/workbook.h"

namespace quin {

// Writes into a temporary file beside FileName and renames it to FileName when complete, so
// that a failure leaves an existing file untouched. Raises EXlWorkbookError when the file
// cannot be written.
void SaveWorkbookAsXlsx(const TXlWorkbook& Book, const std::string& FileName);

}  // namespace quin
