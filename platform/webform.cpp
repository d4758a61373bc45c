#include "platform/webform.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "base/exception.h"
#include "platform/charset.h"
#include "platform/html.h"
#include "platform/websession.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TWebControl, TObject)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TWebContainer, TWebControl)
QUIN_IMPLEMENT_CLASS(TWebRegion, TWebContainer)
QUIN_IMPLEMENT_CLASS(TWebFrame, TWebRegion)
QUIN_IMPLEMENT_CLASS(TWebLabel, TWebControl)
QUIN_IMPLEMENT_CLASS(TWebText, TWebControl)
QUIN_IMPLEMENT_CLASS(TWebButton, TWebControl)
QUIN_IMPLEMENT_CLASS(TWebEdit, TWebControl)
QUIN_IMPLEMENT_CLASS(TWebMemo, TWebControl)
QUIN_IMPLEMENT_CLASS(TWebCheckBox, TWebControl)
QUIN_IMPLEMENT_CLASS(TWebListBox, TWebControl)
QUIN_IMPLEMENT_CLASS(TWebComboBox, TWebListBox)
QUIN_IMPLEMENT_CLASS(TWebImageFile, TWebControl)
QUIN_IMPLEMENT_CLASS(TWebTreeView, TWebControl)
QUIN_IMPLEMENT_CLASS(TWebMenuItem, TObject)
QUIN_IMPLEMENT_CLASS(TWebMenu, TWebControl)
QUIN_IMPLEMENT_CLASS(TWebTimer, TWebControl)
QUIN_IMPLEMENT_CLASS(TWebForm, TWebContainer)

namespace {

// A decimal index without sign, blanks or leading garbage; -1 when malformed.
int ParseIndex(std::string_view S) {
  if (S.empty() || S.size() > 9) return -1;
  int V = 0;
  auto [P, Ec] = std::from_chars(S.data(), S.data() + S.size(), V);
  if (Ec != std::errc() || P != S.data() + S.size() || V < 0) return -1;
  return V;
}

std::string Px(int V) { return std::to_string(V) + "px"; }

}  // namespace

// --- TWebValues ---

const std::string* TWebValues::Find(std::string_view Name) const {
  for (const auto& [N, V] : Items)
    if (N == Name) return &V;
  return nullptr;
}

std::vector<const std::string*> TWebValues::FindAll(std::string_view Name) const {
  std::vector<const std::string*> R;
  for (const auto& [N, V] : Items)
    if (N == Name) R.push_back(&V);
  return R;
}

// --- TWebControl ---

TWebControl::~TWebControl() {
  if (FForm && FForm != this) FForm->Unregister(*this);
}

void TWebControl::SetPosition(int ALeft, int ATop) {
  Left = ALeft;
  Top = ATop;
  Positioned = true;
}

void TWebControl::SetSize(int AWidth, int AHeight) {
  Width = AWidth;
  Height = AHeight;
}

bool TWebControl::IsShowing() const {
  for (const TWebControl* C = this; C; C = C->FParent)
    if (!C->Visible || C->FDeleted) return false;
  return true;
}

bool TWebControl::IsActive() const {
  for (const TWebControl* C = this; C; C = C->FParent)
    if (!C->Visible || !C->Enabled || C->FDeleted) return false;
  return true;
}

std::string TWebControl::CommonAttributes(std::string_view ExtraStyle) const {
  std::string R = " id=\"" + FId + "\"";
  if (!Css.empty()) R += " class=\"" + HtmlEscape(Css) + "\"";
  std::string Style;
  if (Positioned) Style += "position:absolute;left:" + Px(Left) + ";top:" + Px(Top) + ";";
  if (Width > 0) Style += "width:" + Px(Width) + ";";
  if (Height > 0) Style += "height:" + Px(Height) + ";";
  Style += ExtraStyle;
  if (!Style.empty()) R += " style=\"" + Style + "\"";
  return R;
}

std::string TWebControl::FireScript(std::string_view Kind, std::string_view Arg,
                                    std::string_view Question) const {
  std::string R =
      "quinFire('" + JsEscape(FId + ":" + std::string(Kind) + ":" + std::string(Arg)) + "'";
  if (!Question.empty()) R += ",'" + JsEscape(Question) + "'";
  return R + ")";
}

// --- TWebContainer ---

TWebContainer::~TWebContainer() { DestroyChildren(); }

void TWebContainer::DestroyChildren() {
  // Last added first, like an owner freeing its components.
  while (!FControls.empty()) FControls.pop_back();
}

void TWebContainer::Attach(std::unique_ptr<TWebControl> Child, std::string AName) {
  Child->Name = std::move(AName);
  Child->FParent = this;
  Child->FForm = Form();
  if (!Child->FForm) throw Exception("A control can only be placed on a page");
  Child->FForm->Register(*Child);
  FControls.push_back(std::move(Child));
}

TWebControl* TWebContainer::AddOfClass(const ClassInfo& Class, std::string AName,
                                       const std::function<void(TWebControl&)>& Prepare) {
  if (!Class.InheritsFrom(TWebControl::StaticClass()) || !Class.Factory)
    throw Exception(std::string("Cannot create a control of class ") + Class.Name);
  std::unique_ptr<TWebControl> P(static_cast<TWebControl*>(Class.Factory()));
  TWebControl* Raw = P.get();
  Attach(std::move(P), std::move(AName));
  if (Prepare) Prepare(*Raw);
  Raw->AfterConstruction();
  return Raw;
}

void TWebContainer::Delete(TWebControl* Child) {
  auto It = std::find_if(FControls.begin(), FControls.end(),
                         [Child](const auto& P) { return P.get() == Child; });
  if (It == FControls.end()) throw EListError("The control is not a child of this container");
  std::unique_ptr<TWebControl> P = std::move(*It);
  FControls.erase(It);
  P->FDeleted = true;
  TWebForm* F = Form();
  if (F && F->FSession && F->FSession->FInEvent) {
    F->FDeleted.push_back(std::move(P));
  }
}

void TWebContainer::ForEachControl(const std::function<void(TWebControl&)>& Fn) const {
  for (const auto& C : FControls) {
    Fn(*C);
    if (auto* Box = As<TWebContainer>(C.get())) Box->ForEachControl(Fn);
  }
}

void TWebContainer::RenderChildren(std::string& Html) const {
  for (const auto& C : FControls)
    if (C->Visible) C->Render(Html);
}

void TWebContainer::Render(std::string& Html) const {
  bool AnyPositioned =
      std::any_of(FControls.begin(), FControls.end(), [](const auto& C) { return C->Positioned; });
  Html += "<div" + CommonAttributes(AnyPositioned && !Positioned ? "position:relative;" : "") + ">";
  RenderChildren(Html);
  Html += "</div>\n";
}

// --- TWebLabel, TWebText ---

void TWebLabel::Render(std::string& Html) const {
  if (OnClick && Enabled) {
    Html += "<a href=\"#\"" + CommonAttributes("text-decoration:underline;cursor:pointer;") +
            " onclick=\"" + FireScript("click") + ";return false;\">" + Caption + "</a>";
  } else {
    Html += "<span" + CommonAttributes() + ">" + Caption + "</span>";
  }
}

bool TWebLabel::AcceptsEvent(std::string_view Kind, std::string_view Arg) const {
  return Kind == "click" && Arg.empty() && OnClick;
}

void TWebLabel::FireEvent(std::string_view, std::string_view) { OnClick(*this); }

void TWebText::Render(std::string& Html) const {
  Html += "<div" + CommonAttributes() + ">" + Text + "</div>\n";
}

// --- TWebButton ---

void TWebButton::Render(std::string& Html) const {
  Html += "<input type=\"button\"" + CommonAttributes() + " value=\"" + HtmlEscape(Caption) + "\"";
  if (Enabled) {
    Html += " onclick=\"" + FireScript("click", {}, Confirmation) + "\"";
  } else {
    Html += " disabled";
  }
  Html += ">";
}

bool TWebButton::AcceptsEvent(std::string_view Kind, std::string_view Arg) const {
  return Kind == "click" && Arg.empty();
}

void TWebButton::FireEvent(std::string_view, std::string_view) {
  if (OnClick) OnClick(*this);
}

// --- TWebEdit, TWebMemo ---

void TWebEdit::Render(std::string& Html) const {
  Html += "<input type=\"" + std::string(Password ? "password" : "text") + "\"" +
          CommonAttributes() + " name=\"" + Id() + "\"";
  // A password is never sent back to the browser.
  Html += " value=\"" + (Password ? std::string() : HtmlEscape(Text)) + "\"";
  if (ReadOnly) Html += " readonly";
  if (MaxLength > 0) Html += " maxlength=\"" + std::to_string(MaxLength) + "\"";
  if (!Enabled) Html += " disabled";
  Html += " onkeydown=\"if(event.key==='Enter'){event.preventDefault();";
  if (SubmitOnEnter) Html += FireScript("submit") + ";";
  Html += "}\">";
}

bool TWebEdit::CheckInput(const TWebValues& Values) const {
  const std::string* V = Values.Find(Id());
  return !V || V->size() <= static_cast<std::size_t>(std::max(MaxLength, 0));
}

void TWebEdit::ApplyInput(const TWebValues& Values) {
  if (const std::string* V = Values.Find(Id())) Text = *V;
}

bool TWebEdit::AcceptsEvent(std::string_view Kind, std::string_view Arg) const {
  return Kind == "submit" && Arg.empty() && SubmitOnEnter;
}

void TWebEdit::FireEvent(std::string_view, std::string_view) {
  if (OnSubmit) OnSubmit(*this);
}

void TWebMemo::Render(std::string& Html) const {
  Html += "<textarea" + CommonAttributes() + " name=\"" + Id() + "\"";
  if (ReadOnly) Html += " readonly";
  if (MaxLength > 0) Html += " maxlength=\"" + std::to_string(MaxLength) + "\"";
  if (!Enabled) Html += " disabled";
  // A leading line break would be swallowed by the browser.
  Html += ">\n" + HtmlEscape(Text) + "</textarea>";
}

bool TWebMemo::CheckInput(const TWebValues& Values) const {
  const std::string* V = Values.Find(Id());
  if (!V) return true;
  std::size_t Size = V->size() - static_cast<std::size_t>(std::count(V->begin(), V->end(), '\r'));
  return Size <= static_cast<std::size_t>(std::max(MaxLength, 0));
}

void TWebMemo::ApplyInput(const TWebValues& Values) {
  const std::string* V = Values.Find(Id());
  if (!V) return;
  // Browsers send CR LF; a lone LF becomes CR LF as well.
  std::string T;
  for (char C : *V) {
    if (C == '\r') continue;
    if (C == '\n')
      T += "\r\n";
    else
      T += C;
  }
  Text = std::move(T);
}

// --- TWebCheckBox ---

void TWebCheckBox::Render(std::string& Html) const {
  Html += "<label" + CommonAttributes() + "><input type=\"checkbox\" name=\"" + Id() +
          "\" value=\"on\"";
  if (Checked) Html += " checked";
  if (!Enabled) Html += " disabled";
  if (OnClick && Enabled) Html += " onclick=\"" + FireScript("click") + "\"";
  Html += ">" + HtmlEscape(Caption) + "</label>";
}

void TWebCheckBox::ApplyInput(const TWebValues& Values) {
  // An unticked box sends nothing.
  Checked = Values.Find(Id()) != nullptr;
}

bool TWebCheckBox::AcceptsEvent(std::string_view Kind, std::string_view Arg) const {
  return Kind == "click" && Arg.empty() && OnClick;
}

void TWebCheckBox::FireEvent(std::string_view, std::string_view) { OnClick(*this); }

// --- TWebListBox ---

int TWebListBox::AddItem(std::string Text, TObject* Object) {
  Items.push_back({std::move(Text), Object, false});
  return Count() - 1;
}

void TWebListBox::Clear() { Items.clear(); }

int TWebListBox::ItemIndex() const {
  for (int I = 0; I < Count(); ++I)
    if (Items[I].Selected) return I;
  return -1;
}

void TWebListBox::SetItemIndex(int Index) {
  if (Index < -1 || Index >= Count())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  for (int I = 0; I < Count(); ++I) Items[I].Selected = I == Index;
}

std::vector<int> TWebListBox::SelectedIndices() const {
  std::vector<int> R;
  for (int I = 0; I < Count(); ++I)
    if (Items[I].Selected) R.push_back(I);
  return R;
}

void TWebListBox::Render(std::string& Html) const {
  bool Multi = MultiSelect && !IsDropDown();
  Html += "<select" + CommonAttributes() + " name=\"" + Id() + "\"";
  if (!IsDropDown()) Html += " size=\"" + std::to_string(std::max(Rows, 2)) + "\"";
  if (Multi) Html += " multiple";
  if (!Enabled) Html += " disabled";
  if (OnChange) Html += " onchange=\"" + FireScript("change") + "\"";
  if (OnDblClick) Html += " ondblclick=\"" + FireScript("dblclick") + "\"";
  if (OnEnter)
    Html += " onkeydown=\"if(event.key==='Enter'){event.preventDefault();" + FireScript("enter") +
            ";}\"";
  Html += ">";
  int Index = ItemIndex();
  // A drop-down always shows some item; an empty entry stands for "nothing chosen".
  if (IsDropDown() && Index < 0) Html += "<option value=\"-1\" selected></option>";
  for (int I = 0; I < Count(); ++I) {
    Html += "<option value=\"" + std::to_string(I) + "\"";
    if (Multi ? Items[I].Selected : I == Index) Html += " selected";
    Html += ">" + HtmlEscape(Items[I].Text) + "</option>";
  }
  Html += "</select>";
}

bool TWebListBox::CheckInput(const TWebValues& Values) const {
  auto All = Values.FindAll(Id());
  bool Multi = MultiSelect && !IsDropDown();
  if (!Multi && All.size() > 1) return false;
  for (const std::string* V : All) {
    // "Nothing chosen" only where the page offered it (a drop-down that showed no item).
    if (IsDropDown() && *V == "-1" && ItemIndex() < 0) continue;
    int I = ParseIndex(*V);
    if (I < 0 || I >= Count()) return false;
  }
  return true;
}

void TWebListBox::ApplyInput(const TWebValues& Values) {
  for (auto& It : Items) It.Selected = false;
  for (const std::string* V : Values.FindAll(Id())) {
    int I = ParseIndex(*V);
    if (I >= 0 && I < Count()) Items[I].Selected = true;
  }
}

bool TWebListBox::AcceptsEvent(std::string_view Kind, std::string_view Arg) const {
  if (!Arg.empty()) return false;
  return (Kind == "change" && OnChange) || (Kind == "dblclick" && OnDblClick) ||
         (Kind == "enter" && OnEnter);
}

void TWebListBox::FireEvent(std::string_view Kind, std::string_view) {
  if (Kind == "change")
    OnChange(*this);
  else if (Kind == "enter")
    OnEnter(*this);
  else
    OnDblClick(*this);
}

// --- TWebImageFile ---

std::string TWebImageFile::ImageUrl() const {
  if (FileName.empty()) return Url;
  TWebForm* F = Form();
  TWebSession* S = F ? F->Session() : nullptr;
  if (!S) return Url;
  const std::string& Files = S->FilesFolder();
  if (!Files.empty() && FileName.compare(0, Files.size(), Files) == 0) {
    std::string Rel = FileName.substr(Files.size());
    // A file of the session's own folders goes under a random name of its own.
    for (const char* Own : {"TMPCharts/", "TMPReports/"})
      if (Rel.compare(0, std::strlen(Own), Own) == 0) {
        try {
          return S->PublishFile(FileName);
        } catch (const Exception&) {
          return S->UrlBase() + "img/" + Id();
        }
      }
    std::string R = S->FilesUrl();
    size_t Start = 0;
    for (;;) {
      size_t Slash = Rel.find('/', Start);
      R += UrlEncode(Rel.substr(Start, Slash == std::string::npos ? Slash : Slash - Start));
      if (Slash == std::string::npos) break;
      R += '/';
      Start = Slash + 1;
    }
    return R;
  }
  return S->UrlBase() + "img/" + Id();
}

void TWebImageFile::Render(std::string& Html) const {
  Html += "<img" + CommonAttributes(OnClick && Enabled ? "cursor:pointer;" : "") + " src=\"" +
          HtmlEscape(ImageUrl()) + "\" alt=\"" + HtmlEscape(AltText) + "\"";
  if (!Hint.empty()) Html += " title=\"" + HtmlEscape(Hint) + "\"";
  if (OnClick && Enabled) Html += " onclick=\"" + FireScript("click") + "\"";
  Html += ">";
}

bool TWebImageFile::AcceptsEvent(std::string_view Kind, std::string_view Arg) const {
  return Kind == "click" && Arg.empty() && OnClick;
}

void TWebImageFile::FireEvent(std::string_view, std::string_view) { OnClick(*this); }

// --- TWebTreeView ---

TWebTreeItem* TWebTreeView::AddItem(TWebTreeItem* Parent, std::string Caption, TObject* Object) {
  if (Parent &&
      (Parent->Index < 0 || Parent->Index >= Count() || FItems[Parent->Index].get() != Parent))
    throw EListError("The parent item belongs to another tree");
  auto P = std::make_unique<TWebTreeItem>();
  P->Caption = std::move(Caption);
  P->Object = Object;
  P->Parent = Parent;
  P->Index = Count();
  FItems.push_back(std::move(P));
  return FItems.back().get();
}

void TWebTreeView::Clear() { FItems.clear(); }

TWebTreeItem& TWebTreeView::Item(int Index) {
  if (Index < 0 || Index >= Count())
    throw EListError("Tree item index out of bounds (" + std::to_string(Index) + ")");
  return *FItems[Index];
}

bool TWebTreeView::HasChildren(const TWebTreeItem& Item) const {
  return std::any_of(FItems.begin(), FItems.end(),
                     [&Item](const auto& P) { return P->Parent == &Item; });
}

bool TWebTreeView::IsItemShown(const TWebTreeItem& Item) const {
  for (const TWebTreeItem* P = Item.Parent; P; P = P->Parent)
    if (!P->Expanded) return false;
  return true;
}

void TWebTreeView::RenderLevel(std::string& Html, const TWebTreeItem* Parent) const {
  bool Open = false;
  for (const auto& P : FItems) {
    if (P->Parent != Parent) continue;
    if (!Open) {
      Html += "<ul style=\"list-style:none;margin:0;padding-left:";
      Html += Parent ? "16px" : "0";
      Html += "\">";
      Open = true;
    }
    const TWebTreeItem& It = *P;
    std::string Index = std::to_string(It.Index);
    bool Children = HasChildren(It);
    Html += "<li>";
    if (Children) {
      Html += "<span style=\"cursor:pointer\"";
      if (Enabled) Html += " onclick=\"" + FireScript("toggle", Index) + "\"";
      Html += ">" + std::string(It.Expanded ? "[-]" : "[+]") + "</span> ";
    }
    std::string Tag = "<span";
    if (!It.Css.empty()) Tag += " class=\"" + HtmlEscape(It.Css) + "\"";
    if (Enabled && OnItemClick)
      Tag += " style=\"cursor:pointer\" onclick=\"" + FireScript("item", Index) + "\"";
    Tag += ">";
    if (OnRenderTag) OnRenderTag(It, Tag);
    Html += Tag + HtmlEscape(It.Caption) + "</span>";
    if (Children && It.Expanded) RenderLevel(Html, &It);
    Html += "</li>";
  }
  if (Open) Html += "</ul>";
}

void TWebTreeView::Render(std::string& Html) const {
  Html += "<div" + CommonAttributes() + ">";
  RenderLevel(Html, nullptr);
  Html += "</div>\n";
}

const TWebTreeItem* TWebTreeView::ItemFromArg(std::string_view Arg) const {
  int I = ParseIndex(Arg);
  if (I < 0 || I >= Count()) return nullptr;
  const TWebTreeItem& It = *FItems[I];
  return IsItemShown(It) ? &It : nullptr;
}

bool TWebTreeView::AcceptsEvent(std::string_view Kind, std::string_view Arg) const {
  const TWebTreeItem* It = ItemFromArg(Arg);
  if (!It) return false;
  if (Kind == "item") return static_cast<bool>(OnItemClick);
  if (Kind == "toggle") return HasChildren(*It);
  return false;
}

void TWebTreeView::FireEvent(std::string_view Kind, std::string_view Arg) {
  TWebTreeItem& It = *FItems[ParseIndex(Arg)];
  if (Kind == "toggle")
    It.Expanded = !It.Expanded;
  else
    OnItemClick(*this, It);
}

// --- TWebMenuItem, TWebMenu ---

TWebMenuItem* TWebMenuItem::Add(std::string AName, std::string ACaption) {
  auto P = std::make_unique<TWebMenuItem>();
  P->Name = std::move(AName);
  P->Caption = std::move(ACaption);
  P->FParent = this;
  FItems.push_back(std::move(P));
  return FItems.back().get();
}

TWebMenuItem* TWebMenuItem::Append(std::unique_ptr<TWebMenuItem> Item) {
  if (!Item) throw EListError("No menu item to append");
  if (Item->FParent) throw EListError("The menu item belongs to another menu");
  Item->FParent = this;
  FItems.push_back(std::move(Item));
  return FItems.back().get();
}

TWebMenuItem& TWebMenuItem::operator[](int Index) const {
  if (Index < 0 || Index >= Count())
    throw EListError("Menu item index out of bounds (" + std::to_string(Index) + ")");
  return *FItems[Index];
}

void TWebMenu::RenderItems(std::string& Html, const TWebMenuItem& Parent, const std::string& Path,
                           bool Top) const {
  for (int I = 0; I < Parent.Count(); ++I) {
    const TWebMenuItem& It = *Parent.Items()[I];
    if (!It.Visible) continue;
    std::string ItemPath = Path.empty() ? std::to_string(I) : Path + "." + std::to_string(I);
    bool Active = It.Enabled && Enabled;
    const std::string& ItemClass = Active ? ItemCss : DisabledCss;
    if (!Top) Html += "<tr>";
    Html += "<td nowrap class=\"" + HtmlEscape(ItemClass) + "\"";
    if (Active && It.Count() > 0) {
      Html +=
          " style=\"position:relative\" onmouseover=\"this.firstElementChild.style.display="
          "'block'\" onmouseout=\"this.firstElementChild.style.display='none'\"";
    } else if (Active) {
      Html += " style=\"cursor:pointer\" onclick=\"" + FireScript("click", ItemPath) + "\"";
    }
    Html += ">";
    // The drop-down comes first in the cell: a caption may close the cell (the separators do),
    // and what follows it then stands outside.
    if (Active && It.Count() > 0) {
      Html += "<table class=\"" + HtmlEscape(ItemClass) +
              "\" style=\"display:none;position:absolute;left:0;top:100%;z-index:10;"
              "background:silver\">";
      RenderItems(Html, It, ItemPath, false);
      Html += "</table>";
    }
    // Each item is a one-cell table around its raw caption, so a caption may close the cell
    // and open cells of its own.
    Html += "<table border=\"0\" cellspacing=\"0\" cellpadding=\"0\"><tr><td nowrap>" + It.Caption +
            "</td></tr></table>";
    Html += "</td>";
    if (!Top) Html += "</tr>";
  }
}

void TWebMenu::Render(std::string& Html) const {
  Html += "<table" + CommonAttributes() + " cellspacing=\"0\" cellpadding=\"0\"><tr>";
  RenderItems(Html, Items, {}, true);
  Html += "</tr></table>";
}

TWebMenuItem* TWebMenu::ItemFromArg(std::string_view Arg) const {
  const TWebMenuItem* Cur = &Items;
  if (Arg.empty()) return nullptr;
  size_t Start = 0;
  for (;;) {
    size_t Dot = Arg.find('.', Start);
    int I = ParseIndex(Arg.substr(Start, Dot == std::string_view::npos ? Dot : Dot - Start));
    if (I < 0 || I >= Cur->Count()) return nullptr;
    Cur = Cur->Items()[I].get();
    if (!Cur->Visible || !Cur->Enabled) return nullptr;
    if (Dot == std::string_view::npos) break;
    Start = Dot + 1;
  }
  return const_cast<TWebMenuItem*>(Cur);
}

bool TWebMenu::AcceptsEvent(std::string_view Kind, std::string_view Arg) const {
  if (Kind != "click") return false;
  TWebMenuItem* It = ItemFromArg(Arg);
  return It && It->Count() == 0 && It->OnClick;
}

void TWebMenu::FireEvent(std::string_view, std::string_view Arg) {
  TWebMenuItem* It = ItemFromArg(Arg);
  It->OnClick(*It);
}

// --- TWebTimer ---

bool TWebTimer::AcceptsEvent(std::string_view Kind, std::string_view Arg) const {
  return Kind == "timer" && Arg.empty();
}

void TWebTimer::FireEvent(std::string_view, std::string_view) {
  if (OnAsyncTimer) OnAsyncTimer(*this);
}

// --- TWebForm ---

TWebForm::~TWebForm() {
  // The controls unregister from this page while it is still whole.
  DestroyChildren();
  FDeleted.clear();
}

void TWebForm::Register(TWebControl& Control) {
  Control.FId = "c" + std::to_string(++FNextId);
  FIndex[Control.FId] = &Control;
}

void TWebForm::Unregister(TWebControl& Control) { FIndex.erase(Control.FId); }

TWebControl* TWebForm::FindControl(std::string_view Id) const {
  auto It = FIndex.find(std::string(Id));
  if (It == FIndex.end() || !It->second->IsShowing()) return nullptr;
  return It->second;
}

void TWebForm::Show() {
  if (!FSession) throw Exception("The page belongs to no session");
  FSession->Show(this);
}

void TWebForm::Release() {
  if (!FSession) throw Exception("The page belongs to no session");
  FSession->Release(this);
}

void TWebForm::Render(std::string& Html) const { TWebContainer::Render(Html); }

std::string TWebForm::RenderPage() {
  if (OnRender) OnRender(*this);
  TWebSession* S = FSession;
  std::string Action = S ? S->UrlBase() : "/";
  std::string H;
  H.reserve(8192);
  H += "<!DOCTYPE html>\n<html><head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; "
       "charset=";
  H += WebCharSet;
  H += "\">\n<title>" + Title + "</title>\n";
  if (!StyleSheetUrl.empty())
    H += "<link rel=\"stylesheet\" type=\"text/css\" href=\"" + HtmlEscape(StyleSheetUrl) + "\">\n";
  for (const std::string& L : ExtraHeader) H += L + "\n";
  H += "<script>\n"
       "var quinBusy=false;\n"
       "function quinFire(e,q){if(q&&!confirm(q))return;quinBusy=true;"
       "var f=document.getElementById('quinform');"
       "f.elements['__evt'].value=e;f.submit();}\n"
       "function quinAsync(e){var b=new URLSearchParams();b.append('__evt',e);"
       "b.append('__page','" +
       JsEscape(FPageId) +
       "');"
       "fetch('" +
       JsEscape(Action) +
       "async',{method:'POST',body:b})"
       // An ended session: the page is asked for again, which leads to the logon page (unless
       // the page is being sent already).
       ".then(function(r){if(r.status==410){if(!quinBusy)location.href='" +
       JsEscape(Action) +
       "';return null;}return r.ok?r.arrayBuffer():null;})"
       ".then(function(a){if(a&&a.byteLength)alert(new TextDecoder('" +
       WebCharSet +
       "').decode(a));}).catch(function(){});}\n"
       "</script>\n</head>\n<body style=\"background-color:" +
       HtmlEscape(BgColor) + "\">\n";
  H += "<form id=\"quinform\" method=\"post\" action=\"" + HtmlEscape(Action) +
       "\" accept-charset=\"" + WebCharSet +
       "\" enctype=\"multipart/form-data\" onsubmit=\"return false;\">\n";
  H += "<input type=\"hidden\" name=\"__page\" value=\"" + HtmlEscape(FPageId) + "\">";
  H += "<input type=\"hidden\" name=\"__evt\" value=\"\">\n";
  Render(H);
  H += "</form>\n<script>\n";
  ForEachControl([&H](TWebControl& C) {
    auto* T = As<TWebTimer>(&C);
    if (T && T->IsActive() && T->Interval > 0)
      H += "setInterval(function(){quinAsync('" + JsEscape(T->Id() + ":timer:") + "');}," +
           std::to_string(T->Interval) + ");\n";
  });
  if (S) {
    std::string Replies;
    for (const std::string& U : S->FNewWindows)
      Replies += "window.open('" + JsEscape(U) + "','_blank','noopener');";
    for (const std::string& A : S->FAlerts) Replies += "alert('" + JsEscape(A) + "');";
    S->FNewWindows.clear();
    S->FAlerts.clear();
    if (!Replies.empty())
      H += "window.addEventListener('load',function(){setTimeout(function(){" + Replies +
           "},0);});\n";
  }
  H += "</script>\n</body></html>\n";
  return ToPageText(H);
}

}  // namespace quin
