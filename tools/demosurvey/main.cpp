// quin-demosurvey DEFINITION PARAMS OUTPUT: writes the demonstration survey file OUTPUT from
// its definition (UTF-8) and the generator's parameters.
// quin-demosurvey --csv PARAMS FOLDER: writes the respondents of each wave as
// FOLDER/wave<N>.csv instead, for a look at the data.
#include <fstream>
#include <iostream>
#include <sstream>

#include "base/format.h"
#include "tools/demosurvey/demosurvey.h"

namespace {

std::string ReadFile(const std::string& Name) {
  std::ifstream In(Name, std::ios::binary);
  if (!In) throw quin::Exception("Cannot read " + Name + ".");
  std::stringstream Buf;
  Buf << In.rdbuf();
  return Buf.str();
}

void WriteFile(const std::string& Name, const std::string& Data) {
  std::ofstream Out(Name, std::ios::binary | std::ios::trunc);
  if (!Out.write(Data.data(), std::streamsize(Data.size())) || !Out.flush())
    throw quin::Exception("Cannot write " + Name + ".");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: quin-demosurvey DEFINITION PARAMS OUTPUT.zos\n"
                 "       quin-demosurvey --csv PARAMS FOLDER\n";
    return 2;
  }
  try {
    if (std::string(argv[1]) == "--csv") {
      const auto Waves = quin::GenerateDemoSurvey(quin::TDemoParams::Parse(ReadFile(argv[2])));
      for (size_t I = 0; I < Waves.size(); ++I)
        WriteFile(
            std::string(argv[3]) + "/wave" + quin::IntToStr(static_cast<long long>(I) + 1) + ".csv",
            quin::DemoWaveCsv(Waves[I]));
    } else {
      // Written beside the target and renamed, so a failed run leaves no half file.
      const std::string Temp = std::string(argv[3]) + ".tmp";
      WriteFile(Temp, quin::DemoSurveyFileBytes(ReadFile(argv[1]), ReadFile(argv[2])));
      if (std::rename(Temp.c_str(), argv[3]) != 0)
        throw quin::Exception(std::string("Cannot write ") + argv[3] + ".");
    }
  } catch (const std::exception& E) {
    std::cerr << "quin-demosurvey: " << E.what() << "\n";
    return 1;
  }
  return 0;
}
