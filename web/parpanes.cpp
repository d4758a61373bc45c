#include "web/parpanes.h"

#include "analysis/pelpar.h"
#include "base/exception.h"
#include "base/orvstrings.h"
#include "base/text.h"
#include "web/parstepform.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TPelWebRWObjectPaneFrame, TZepFrame)
QUIN_IMPLEMENT_CLASS(TPelWebParPaneFrame, TPelWebRWObjectPaneFrame)

TPelWebRWObjectPaneFrame::TPelWebRWObjectPaneFrame() { SetSize(443, 276); }

TPelWebParPaneFrame* TPelWebParPaneFrame::Create(const ClassInfo& PaneClass, TWebContainer& Parent,
                                                 std::string Name, TPelPar* Par) {
  if (!PaneClass.InheritsFrom(StaticClass()))
    throw Exception(std::string("Not a parameter pane: ") + PaneClass.Name);
  TWebControl* C = Parent.AddOfClass(PaneClass, std::move(Name), [Par](TWebControl& New) {
    static_cast<TPelWebParPaneFrame&>(New).Obj = Par;
  });
  return static_cast<TPelWebParPaneFrame*>(C);
}

void TPelWebParPaneFrame::AfterConstruction() {
  TPelWebRWObjectPaneFrame::AfterConstruction();
  FillAvailable();
  FillChosen();
}

void TPelWebParPaneFrame::CreateControls() {
  TPelWebRWObjectPaneFrame::CreateControls();
  WizHeaderRegion = Add<TWebRegion>("WizHeaderRegion");
  WizHeaderRegion->Css = "wizheader";
  WizHeaderText = WizHeaderRegion->Add<TWebLabel>("WizHeaderText");
  WizHeaderText->Css = "warning";
}

TPelPar* TPelWebParPaneFrame::GetPar() const { return As<TPelPar>(Obj); }

bool TPelWebParPaneFrame::PageIsCurrent() const {
  const auto* Step = As<TPelWebRWObjectForm_Form>(Form());
  return !Step || Step->IsCurrent();
}

void TPelWebParPaneFrame::FrameRegionRender() {
  const TPelPar* Par = GetPar();
  std::string Header = Par ? Par->GetHeaderText() : std::string();
  // A template's text: shown as text, its line breaks kept.
  WizHeaderText->Caption =
      ReplaceText(ReplaceText(HtmlEscape(Header), "\\n", "<br>"), "\r\n", "<br>");
  WizHeaderRegion->Visible = !Header.empty();
  int Top = WizHeaderRegion->Visible ? kWizHeaderHeight : 0;
  WizHeaderRegion->SetPosition(0, 0);
  WizHeaderRegion->SetSize(Width, kWizHeaderHeight);
  FrameRegion->SetPosition(0, Top);
  FrameRegion->SetSize(Width, Height - Top);
}

}  // namespace quin
