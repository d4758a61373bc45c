// quin-mksurvey: writes a survey file from a definition text and one CSV per record set.
//
//   quin-mksurvey [-v VERSION] [-d DATADATE] [-c COLUMN=LAYOUT[/COMPRESSION]]... -o OUT.zos
//                 DEFINITION.txt RECORDSET.csv...
//
// The record sets follow in the order of the definition's "recordset" blocks. Each CSV has a
// header row of column names with a "wave" column; its rows go to the data file of their wave.
// A column without -c gets the smallest layout that holds its values, stored plain; COLUMN "*"
// sets every column's default.
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

#include "base/format.h"
#include "base/text.h"
#include "tools/surveywriter/zoswriter.h"

namespace {

using namespace quin;

std::string ReadFile(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  if (!In) throw ESurveyWriterError("cannot read " + Path);
  std::ostringstream S;
  S << In.rdbuf();
  return S.str();
}

std::string Stem(const std::string& Path) {
  size_t Slash = Path.find_last_of('/');
  std::string Name = Slash == std::string::npos ? Path : Path.substr(Slash + 1);
  size_t Dot = Name.rfind('.');
  return Dot == std::string::npos || Dot == 0 ? Name : Name.substr(0, Dot);
}

TSwColumnSpec ParseSpec(const std::string& Text) {
  TSwColumnSpec Spec;
  const size_t Slash = Text.find('/');
  const std::string L = Text.substr(0, Slash);
  if (!L.empty() && !SameText(L, "auto") && !SwParseLayout(L, Spec.Layout))
    throw ESurveyWriterError("unknown layout " + L);
  if (Slash != std::string::npos && !SwParseCompression(Text.substr(Slash + 1), Spec.Compression))
    throw ESurveyWriterError("unknown compression " + Text.substr(Slash + 1));
  return Spec;
}

int Usage() {
  std::cerr << "usage: quin-mksurvey [-v VERSION] [-d DATADATE] "
               "[-c COLUMN=LAYOUT[/COMPRESSION]]... -o OUT.zos DEFINITION.txt RECORDSET.csv...\n"
               "  layouts: auto Bit2 Bit4 UInt1 UInt2 UInt4 SInt1 SInt2 SInt4 Flt8\n"
               "  compressions: NoCompression RLE_1_2 RLE_1_4 RLE_1_8 RLE_1_16 RLE_3_4 "
               "RLE_3_8 IDX_1 IDX_2 IDX_4 IDX_8 ZLib\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  TSwSurveyOptions Options;
  std::map<std::string, TSwColumnSpec> Specs;  // lower-case names
  std::string Out;
  std::vector<std::string> Inputs;
  try {
    for (int I = 1; I < argc; ++I) {
      const std::string A = argv[I];
      const bool HasValue = I + 1 < argc;
      if (A == "-v" && HasValue) {
        if (!TryStrToInt(argv[++I], Options.Version) || Options.Version < 0 || Options.Version > 8)
          throw ESurveyWriterError("the version is a number from 0 to 8");
      } else if (A == "-d" && HasValue) {
        TFormatSettings FS;
        FS.DecimalSeparator = '.';
        if (!TryStrToFloat(argv[++I], Options.DataDate, FS))
          throw ESurveyWriterError("the data date is a number of days since 1899-12-30");
      } else if (A == "-c" && HasValue) {
        const std::string S = argv[++I];
        const size_t Eq = S.find('=');
        if (Eq == std::string::npos || Eq == 0) throw ESurveyWriterError("bad column spec " + S);
        Specs[LowerCase(S.substr(0, Eq))] = ParseSpec(S.substr(Eq + 1));
      } else if (A == "-o" && HasValue) {
        Out = argv[++I];
      } else if (!A.empty() && A[0] == '-') {
        return Usage();
      } else {
        Inputs.push_back(A);
      }
    }
    if (Out.empty() || Inputs.size() < 2) return Usage();
    const std::string Definition = ReadFile(Inputs[0]);
    std::vector<TSwSurveyRecset> Recsets;
    for (size_t I = 1; I < Inputs.size(); ++I) {
      TSwSurveyRecset R = ParseSurveyCsv(Stem(Inputs[I]), ReadFile(Inputs[I]));
      for (TSwSurveyWave& W : R.Waves)
        for (TSwSurveyColumn& C : W.Columns) {
          auto It = Specs.find(LowerCase(C.Name));
          if (It == Specs.end()) It = Specs.find("*");
          if (It != Specs.end()) C.Spec = It->second;
        }
      Recsets.push_back(std::move(R));
    }
    const std::string Bytes = SurveyFileBytes(Definition, Recsets, Options);
    std::ofstream F(Out, std::ios::binary | std::ios::trunc);
    F.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
    if (!F.flush()) throw ESurveyWriterError("cannot write " + Out);
  } catch (const std::exception& E) {
    std::cerr << "quin-mksurvey: " << E.what() << "\n";
    return 1;
  }
  return 0;
}
