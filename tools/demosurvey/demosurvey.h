// The demonstration survey's data: a deterministic generator of respondents (a fixed seed and
// its own pseudo-random sequence, so every build makes the same file), driven by a small
// parameters text, and the respondent values per wave as named columns of doubles.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/exception.h"
#include "tools/surveywriter/zoswriter.h"

namespace quin {

class EDemoSurveyError : public Exception {
 public:
  using Exception::Exception;
};

// The parameters text: on each line a key and its numbers separated by blanks; empty lines and
// lines starting with '#' are skipped.
class TDemoParams {
 public:
  // Raises EDemoSurveyError (with the line number) on a line without numbers, a text that is
  // no number, or a repeated key.
  static TDemoParams Parse(std::string_view Text);
  // The numbers of Key; raises when the key is missing or has another count of numbers.
  const std::vector<double>& Get(const std::string& Key, size_t Count) const;
  double Get1(const std::string& Key) const { return Get(Key, 1)[0]; }
  bool Has(const std::string& Key) const { return FValues.count(Key) != 0; }

 private:
  std::map<std::string, std::vector<double>> FValues;
};

// The values of one wave: equally long columns, one value per respondent; kPelMissingDouble
// stands for a refused answer.
struct TDemoColumn {
  std::string Name;
  std::vector<double> Values;
};
struct TDemoWave {
  int Records = 0;
  std::vector<TDemoColumn> Columns;
  const TDemoColumn* Find(std::string_view Name) const;
};

// The column names, in the order of every wave's Columns.
const std::vector<std::string>& DemoColumnNames();

// Generates every wave's respondents and their raked weights ("wgt", averaging 1 in each
// wave). The same parameters give the same values, bit for bit.
std::vector<TDemoWave> GenerateDemoSurvey(const TDemoParams& Params);

// The definition text as a survey file holds it: Windows-1250, lines ended by CR LF (a lone LF
// of the UTF-8 source becomes CR LF).
std::string DemoSurveyDefinition(std::string_view Utf8Text);

// A wave as comma-separated text: a header line of the column names, then one line per
// respondent; missing values are empty fields, weights have six decimals.
std::string DemoWaveCsv(const TDemoWave& Wave);

// ---- The media part

// A press title of the definition's press section: its identifier, code, publication days
// (bit 0 Monday) and module.
struct TDemoTitle {
  std::string ID;
  int Code = 0;
  uint8_t Days = 0;
  std::string Module;
};
const std::vector<TDemoTitle>& DemoPressTitles();
// The radio stations' identifiers ("r01" ...): their columns carry the suffixes "01" ...
const std::vector<std::string>& DemoRadioStations();

// Per wave: the respondents' press and radio columns, and the television viewing records
// (one per quarter-hour viewed in the week: respid, tvst station code, tvday 1 = Monday,
// tvq quarter-hour slot, tvmin minutes), grouped by respondent in the respondents' order.
struct TDemoMedia {
  std::vector<TDemoWave> Resp;
  std::vector<TDemoWave> Views;
};
// Drawn from the respondents' media frequencies with a sequence of its own; the same
// parameters give the same values.
TDemoMedia GenerateDemoMedia(const TDemoParams& Params, const std::vector<TDemoWave>& Waves);
// The viewing record set "tvview" for the survey-file writer.
TSwSurveyRecset DemoViewsRecset(const std::vector<TDemoWave>& Views);

// The file name of the demonstration survey in the users' survey folders.
extern const char* const kDemoSurveyFileName;

// The respondent record set "resp" for the survey-file writer: one data file per wave;
// categorical columns as zlib-coded dictionaries in the smallest layout, the respondent number
// and the weight as plain blocks.
TSwSurveyRecset DemoSurveyRecset(const std::vector<TDemoWave>& Waves);
// The same with the media columns of each wave after the respondents' own: the per-quarter
// radio columns stored as runs, the others as zlib-coded dictionaries.
TSwSurveyRecset DemoSurveyRecset(const std::vector<TDemoWave>& Waves,
                                 const std::vector<TDemoWave>& MediaWaves);

// The whole survey file from the UTF-8 definition and the parameters text; the data date is
// fixed (the end of the second wave's processing), so every build writes the same bytes.
std::string DemoSurveyFileBytes(std::string_view DefinitionUtf8, std::string_view ParamsText);

}  // namespace quin
