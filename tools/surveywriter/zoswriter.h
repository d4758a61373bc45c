// The writer of whole survey files (.zos): the file header of any version from 0 to 8 with its
// optional parts, the definition block holding the definition text, and the record-set chain
// with each record set's data per wave (one data file per wave). Columns are given as doubles
// by name (kPelMissingDouble for missing), each with its own layout and compression.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/surveywriter/pelcolwriter.h"

namespace quin {

// The product text of a survey file.
extern const char* const kSwSurveyProductText;
// {2F5B4C9C-9AC8-4A7D-BD8E-2E2E64A1F319}
const TGUID& SwDefinitionSignature();

// A layout for a column: kSwSmallestLayout picks the smallest layout that holds every value.
constexpr int kSwSmallestLayout = -1;

struct TSwColumnSpec {
  int Layout = kSwSmallestLayout;  // a TPelColDataLayout, or kSwSmallestLayout
  TPelColDataCompression Compression = cdcfNoCompression;  // none: a plain block
};

struct TSwSurveyColumn {
  std::string Name;
  std::vector<double> Values;  // one per record of the wave
  TSwColumnSpec Spec;
};

// The records of one record set in one wave (one data file).
struct TSwSurveyWave {
  int32_t Records = 0;
  std::vector<TSwSurveyColumn> Columns;
};

struct TSwSurveyRecset {
  std::string Name;
  std::vector<TSwSurveyWave> Waves;
};

// The parts of the file header; which of them are written depends on Version.
struct TSwSurveyOptions {
  int Version = 8;           // the version byte; the parts follow the conditions of 0..8
  std::string Version6Text;  // version 6 and above
  std::string ProductText = kSwSurveyProductText;
  std::string Version8Text;  // version 8 and above
  double DataDate = 0;       // version 1 and above
  uint8_t Internal = 0;      // version 3 and above
  std::string ExtraBlock;    // version 5 and above: its size, then its bytes
  int32_t Reserved = 0;      // version 2 and above
};

// The smallest layout holding every value of Values (missing values aside): Bit2, Bit4, UInt1,
// SInt1, UInt2, SInt2, UInt4, SInt4, else Flt8 (fractions, or nothing fits).
TPelColDataLayout SwSmallestLayout(const std::vector<double>& Values);

// Encodes the columns of every wave into column blocks. ESurveyWriterError for a column whose
// value count is not the wave's record count, a value the layout cannot hold, or a repeated
// column name within one wave.
TSwRecset EncodeSurveyRecset(const TSwSurveyRecset& Recset);

// Writes the whole file at the stream's position (which becomes offset 0 of the file): the
// header, the definition block with Definition (8-bit text) and the chain of Recsets.
void WriteSurveyFile(TStream& Stream, std::string_view Definition,
                     const std::vector<TSwRecset>& Recsets, const TSwSurveyOptions& Options);
void WriteSurveyFile(TStream& Stream, std::string_view Definition,
                     const std::vector<TSwSurveyRecset>& Recsets, const TSwSurveyOptions& Options);
// The same into a string.
std::string SurveyFileBytes(std::string_view Definition,
                            const std::vector<TSwSurveyRecset>& Recsets,
                            const TSwSurveyOptions& Options = {});

// Parses a layout or compression name ("UInt1" or "cdlfUInt1", case ignored); false when
// unknown.
bool SwParseLayout(std::string_view Name, int& Layout);
bool SwParseCompression(std::string_view Name, TPelColDataCompression& Compression);

// One record set's data from a CSV text: a header row of column names with one column named
// "wave" (case ignored; waves numbered from 1), then one row per record. Cells are separated
// by ","; an empty cell is missing; numbers use "." as the decimal separator. Rows are grouped
// by wave in their order; the record set has as many waves as the highest wave number.
// ESurveyWriterError names the line of a cell that is no number or a row of another length.
TSwSurveyRecset ParseSurveyCsv(std::string_view Name, std::string_view Csv);

}  // namespace quin
