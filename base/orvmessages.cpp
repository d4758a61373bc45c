#include "base/orvmessages.h"

#include <algorithm>

#include "base/langmanager.h"
#include "base/text.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TOrvMsg, TOrvObject)
QUIN_IMPLEMENT_CLASS(TOrvMsgList, TOrvObjectList)

int CompareTextPos(const TOrvTextPos& A, const TOrvTextPos& B) {
  if (A.Offset != B.Offset) return A.Offset < B.Offset ? -1 : 1;
  if (A.Line != B.Line) return A.Line < B.Line ? -1 : 1;
  if (A.Column != B.Column) return A.Column < B.Column ? -1 : 1;
  return 0;
}

bool TOrvMsgKind::InheritsFrom(const TOrvMsgKind& Other) const {
  for (const TOrvMsgKind* K = this; K; K = K->Parent)
    if (K == &Other) return true;
  return false;
}

std::string TOrvMsgKind::DisplayName() const {
  return CurrentLangManager().TranslateText(Cp1250(DisplayNameUtf8));
}

namespace {
const TOrvMsgKind kKindRoot{"TOrvMsgKind", nullptr, "", ""};
const TOrvMsgKind kError{"TOrvMsgKind_Error", &kKindRoot, "E", "<PLK>Błąd<ENU>Error"};
const TOrvMsgKind kFatal{"TOrvMsgKind_FatalError", &kError, "FE",
                         "<PLK>Błąd krytyczny<ENU>Fatal error"};
const TOrvMsgKind kWarning{"TOrvMsgKind_Warning", &kKindRoot, "W", "<PLK>Ostrzeżenie<ENU>Warning"};
const TOrvMsgKind kHint{"TOrvMsgKind_Hint", &kKindRoot, "H", "<PLK>Uwaga<ENU>Hint"};
const TOrvMsgKind kInfo{"TOrvMsgKind_Info", &kKindRoot, "I", "<PLK>Informacja<ENU>Information"};
}  // namespace

const TOrvMsgKind& TOrvMsgKind_Error() { return kError; }
const TOrvMsgKind& TOrvMsgKind_FatalError() { return kFatal; }
const TOrvMsgKind& TOrvMsgKind_Warning() { return kWarning; }
const TOrvMsgKind& TOrvMsgKind_Hint() { return kHint; }
const TOrvMsgKind& TOrvMsgKind_Info() { return kInfo; }

const TOrvMsgClass TOrvMsg_FatalError_TooManyErrors{
    "TOrvMsg_FatalError_TooManyErrors", &TOrvMsgKind_FatalError,
    "<PLK>Za dużo błędów; pozostałe zostaną zignorowane.<ENU>Too many errors; the rest will be "
    "ignored."};

// ---- TOrvMsg

TOrvMsg::TOrvMsg(const TOrvMsgClass& AClass, const TOrvTextPos& APos)
    : Number(AClass.Number),
      Kind(&AClass.Kind()),
      Pos(APos),
      Template(Cp1250(AClass.TemplateUtf8)),
      MsgClass(&AClass) {}

std::unique_ptr<TOrvMsg> TOrvMsg::Create(const TOrvMsgClass& AClass, const TOrvTextPos& APos) {
  return New<TOrvMsg>(AClass, APos);
}

std::unique_ptr<TOrvMsg> TOrvMsg::CreateFromText(const TOrvMsgClass& AClass, std::string AText,
                                                 const TOrvTextPos& APos) {
  auto M = Create(AClass, APos);
  M->Text = std::move(AText);
  return M;
}

std::unique_ptr<TOrvMsg> TOrvMsg::CreateFromArgs(const TOrvMsgClass& AClass,
                                                 const TOrvTextPos& APos, TDynStringArr AArgs) {
  auto M = Create(AClass, APos);
  M->Args = std::move(AArgs);
  return M;
}

std::string TOrvMsg::CodeText() const {
  return std::string(Kind ? Kind->Code : "") + std::to_string(Number);
}

std::string TOrvMsg::NoteText() const { return CurrentLangManager().TranslateText(Note); }

std::string TOrvMsg::MessageText() const {
  if (Template.empty()) return CurrentLangManager().TranslateText(Text);
  return FormatTemplate(CurrentLangManager(), Template, Args);
}

// ---- TOrvMsgList

TOrvMsgList::TOrvMsgList(int AMaxMsgs, int AMaxErrors)
    : TOrvTypedList<TOrvMsg>(true),
      MaxErrors(AMaxMsgs > 0 && AMaxMsgs < AMaxErrors ? AMaxMsgs : AMaxErrors),
      MaxMsgs(AMaxMsgs),
      Compare(&CompareMsgPositions) {}

TOrvMsgList::TOrvMsgList(const TOrvMsgList& Source)
    : TOrvTypedList<TOrvMsg>(Source),
      MaxErrors(Source.MaxErrors),
      MaxMsgs(Source.MaxMsgs),
      Compare(Source.Compare) {}

int TOrvMsgList::CountErrors() {
  if (FCountedAt != Count()) {  // the list was changed other than through Add
    FErrors = 0;
    for (int I = 0; I < Count(); ++I)
      if (GetItem(I)->IsError()) ++FErrors;
  }
  FCountedAt = Count();
  return FErrors;
}

void TOrvMsgList::Add(std::unique_ptr<TOrvMsg> Msg) {
  if (!Msg) return;
  CountErrors();
  const bool Error = Msg->IsError();
  const bool Fatal = Msg->IsFatal();
  const TOrvTextPos At = Msg->GetPosition();
  std::unique_ptr<TOrvMsg> Unstored;
  if (MaxMsgs > 0 && Count() >= MaxMsgs) {
    if (!Error) return;  // dropped
    for (int I = Count() - 1; I >= 0; --I)
      if (!GetItem(I)->IsError()) Delete(I);
    FCountedAt = Count();
    if (Count() < MaxMsgs) {
      TOrvObjectList::Add(Msg.release());
      ++FErrors;
      FCountedAt = Count();
    } else {
      Unstored = std::move(Msg);
    }
  } else {
    TOrvMsg* Stored = TOrvObjectList::Add(std::move(Msg));
    if (Stored->IsError()) ++FErrors;
    FCountedAt = Count();
  }
  if (Fatal) {
    const TOrvMsg& M = Unstored ? *Unstored : *GetItem(Count() - 1);
    if (M.Template.empty()) throw EMsgList_FatalError(M.Text);
    throw EMsgList_FatalError(M.Template, M.Args);
  }
  // Errors appended directly (outside the limits) may already have taken the count past the
  // limit; the list must stop then too, not only when the count meets it exactly.
  if (MaxErrors >= 1 && FErrors >= MaxErrors) {
    TOrvMsg* Too = TOrvObjectList::Add(TOrvMsg::Create(TOrvMsg_FatalError_TooManyErrors, At));
    ++FErrors;
    FCountedAt = Count();
    throw EMsgList_FatalError(Too->Template);
  }
}

int TOrvMsgList::CountKinds(std::initializer_list<const TOrvMsgKind*> Kinds) const {
  int N = 0;
  for (int I = 0; I < Count(); ++I) {
    const TOrvMsg* M = GetItem(I);
    for (const TOrvMsgKind* K : Kinds)
      if (M->Kind && K && M->Kind->InheritsFrom(*K)) {
        ++N;
        break;
      }
  }
  return N;
}

int CompareMsgPositions(const TOrvMsg& A, const TOrvMsg& B) {
  const int C = CompareTextPos(A.GetPosition(), B.GetPosition());
  if (C != 0) return C;
  return A.SortIndex < B.SortIndex ? -1 : A.SortIndex > B.SortIndex ? 1 : 0;
}

void TOrvMsgList::SortByPosition() {
  for (int I = 0; I < Count(); ++I) GetItem(I)->SortIndex = I;
  const TCompare Cmp = Compare ? Compare : &CompareMsgPositions;
  Sort([Cmp](const TObject* A, const TObject* B) {
    return Cmp(*static_cast<const TOrvMsg*>(A), *static_cast<const TOrvMsg*>(B)) < 0;
  });
}

}  // namespace quin
