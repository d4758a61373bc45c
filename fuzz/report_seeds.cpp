// Writes the seed corpus of the report-file fuzz target: reports that the report writer makes
// for the fuzz target's survey, from an empty one to analyses with every element key, notes
// over several lines, both data bases and weightings, and a data basis the survey lacks. The
// second argument names the fuzzer's working corpus, emptied here so that every run starts
// from the seeds alone.
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "analysis/pelsurvey.h"
#include "base/orvstreams.h"
#include "fuzz/corpus_folders.h"
#include "fuzz/report_survey.h"
#include "reports/pelrep.h"
#include "reports/pelrepanalysis.h"
#include "reports/register.h"

using namespace quin;

namespace {

void Save(const TPelRep& R, const std::filesystem::path& File) {
  TMemoryStream M;
  R.SaveToStream(M);
  std::ofstream(File, std::ios::binary)
      .write(reinterpret_cast<const char*>(M.Memory()), static_cast<std::streamsize>(M.Size()));
}

TPelRepElemAnalysis* AddAnalysis(TPelRep& R, int Basis, int Weight) {
  auto A = New<TPelRepElemAnalysis>(R.Root(), R.Survey);
  A->Number = R.Root()->ChildCount() + 1;
  A->Parameters->BasedOn = R.Survey->DataBasedOnList->GetItem(Basis);
  A->Parameters->Weight = R.Survey->Weights->GetItem(Weight);
  return static_cast<TPelRepElemAnalysis*>(R.Root()->AddChild(std::move(A)));
}

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path Seeds, Work;
  if (!PrepareCorpusFolders(argc, argv, 2,
                            "quin_report_seeds <seed folder> <working corpus folder>", Seeds, Work))
    return 2;
  RegisterReportsClasses();
  const std::string Bytes = ReportFuzzSurveyBytes();
  TMemoryStream File{std::string_view(Bytes)};
  auto Survey = New<TPelSurvey>("fuzz.zos", 1);
  Survey->ReadSurveyFile(File);

  TPelRep Empty(Survey.get());
  Save(Empty, Seeds / "empty");

  TPelRep One(Survey.get());
  One.Title = "Readers \"2024\"";
  One.Zoomed = true;
  One.SelectedIndex = 3;
  TPelRepElemAnalysis* A = AddAnalysis(One, 1, 1);
  A->SetTitle("Reach by age");
  A->Notes = "Seen by all\r\nfrom >> here";
  A->SetExpanded(false);
  Save(One, Seeds / "one");

  TPelRep Two(Survey.get());
  AddAnalysis(Two, 0, 0);
  TPelRepElemAnalysis* Gone = AddAnalysis(Two, 1, 0);
  Gone->Parameters->Weight = nullptr;
  Gone->UnknownWeightID = "heavy";
  Gone->Notes = "x";
  Save(Two, Seeds / "two");
  return 0;
}
