// Pages, panes and the controls placed on them, rendered to HTML. A page belongs to its
// session; a control belongs to its parent container. Every control has an identifier unique
// on its page ("c1", "c2", ...) under which the browser posts its value and its events.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/metaclass.h"

namespace quin {

class TWebContainer;
class TWebControl;

// The character set every page declares.
inline constexpr const char* WebCharSet = "iso-8859-2";

class TWebForm;
class TWebSession;

// The values of one request (query and form body), in the order they came.
struct TWebValues {
  std::vector<std::pair<std::string, std::string>> Items;

  void Add(std::string Name, std::string Value) {
    Items.emplace_back(std::move(Name), std::move(Value));
  }
  // The first value of Name; null when absent.
  const std::string* Find(std::string_view Name) const;
  // Every value of Name.
  std::vector<const std::string*> FindAll(std::string_view Name) const;
};

using TWebNotifyEvent = std::function<void(TWebControl& Sender)>;

// Root of every control: name, css class, visibility, enabled state, position and size.
class TWebControl : public TObject {
  QUIN_CLASS(TWebControl, TObject)
 public:
  ~TWebControl() override;

  std::string Name;
  std::string Css;
  bool Visible = true;
  bool Enabled = true;
  // Position inside the parent (used when Positioned) and size (0: as the content needs).
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool Positioned = false;
  std::intptr_t Tag = 0;

  void SetPosition(int ALeft, int ATop);
  void SetSize(int AWidth, int AHeight);

  TWebContainer* Parent() const { return FParent; }
  TWebForm* Form() const { return FForm; }
  // Identifier on the page; the name of the control's posted value and events.
  const std::string& Id() const { return FId; }
  // Visible together with every container above it.
  bool IsShowing() const;
  // Showing and enabled together with every container above it: only such a control takes
  // posted values and events.
  bool IsActive() const;

  // Appends the control's HTML.
  virtual void Render(std::string& Html) const = 0;

 protected:
  TWebControl() = default;
  friend class TWebContainer;
  friend class TWebForm;
  friend class TWebServer;
  friend class TWebSession;

  // Posted values: CheckInput tells whether the request's values for this control are well
  // formed (indices in range, ...); ApplyInput copies them into the control.
  virtual bool HasInput() const { return false; }
  virtual bool CheckInput(const TWebValues& Values) const { return true; }
  virtual void ApplyInput(const TWebValues& Values) {}
  // Events: AcceptsEvent checks the kind and argument against the control's current state;
  // FireEvent runs the handler.
  virtual bool AcceptsEvent(std::string_view Kind, std::string_view Arg) const { return false; }
  virtual void FireEvent(std::string_view Kind, std::string_view Arg) {}

  // ' id="c1" class="..." style="..."' for the control's outer element.
  std::string CommonAttributes(std::string_view ExtraStyle = {}) const;
  // JavaScript that posts an event of this control ("c1:click:").
  std::string FireScript(std::string_view Kind, std::string_view Arg = {},
                         std::string_view Question = {}) const;

 private:
  TWebContainer* FParent = nullptr;
  TWebForm* FForm = nullptr;
  std::string FId;
  bool FDeleted = false;
};

// A control holding other controls, which it owns and renders in the order they were added.
class TWebContainer : public TWebControl {
  QUIN_CLASS(TWebContainer, TWebControl)
 public:
  ~TWebContainer() override;

  // Creates a control of class T as the last child, named Name. The control is attached to
  // its parent and page before its AfterConstruction runs.
  template <class T, class... A>
  // NOLINTNEXTLINE(performance-unnecessary-value-param): moved into the control
  T* Add(std::string AName = {}, A&&... Args) {
    std::unique_ptr<T> P(new T(std::forward<A>(Args)...));
    T* Raw = P.get();
    Attach(std::move(P), std::move(AName));
    Raw->AfterConstruction();
    return Raw;
  }
  // Creates a control of the registered class Class as the last child, named AName (as Add);
  // Prepare runs on it after it was attached and before its AfterConstruction. Raises
  // Exception when Class is abstract or no control class.
  TWebControl* AddOfClass(const ClassInfo& Class, std::string AName,
                          const std::function<void(TWebControl&)>& Prepare = {});
  // Removes and frees a child. During an event the control lives on until the handler has
  // returned, so a handler may remove its own control.
  void Delete(TWebControl* Child);
  const std::vector<std::unique_ptr<TWebControl>>& Controls() const { return FControls; }
  // Every control below this one, depth first.
  void ForEachControl(const std::function<void(TWebControl&)>& Fn) const;

  void Render(std::string& Html) const override;

 protected:
  TWebContainer() = default;
  void RenderChildren(std::string& Html) const;
  void DestroyChildren();

 private:
  void Attach(std::unique_ptr<TWebControl> Child, std::string AName);
  std::vector<std::unique_ptr<TWebControl>> FControls;
};

// A rectangular block of the page (a div).
class TWebRegion : public TWebContainer {
  QUIN_CLASS(TWebRegion, TWebContainer)
 public:
  TWebRegion() = default;
};

// A pane: a reusable block of controls placed inside a page.
class TWebFrame : public TWebRegion {
  QUIN_CLASS(TWebFrame, TWebRegion)
 public:
  TWebFrame() = default;
};

// Static text; the caption is raw HTML. With a click handler it renders as a link.
class TWebLabel : public TWebControl {
  QUIN_CLASS(TWebLabel, TWebControl)
 public:
  TWebLabel() = default;
  std::string Caption;
  TWebNotifyEvent OnClick;
  void Render(std::string& Html) const override;

 protected:
  bool AcceptsEvent(std::string_view Kind, std::string_view Arg) const override;
  void FireEvent(std::string_view Kind, std::string_view Arg) override;
};

// A block of raw HTML.
class TWebText : public TWebControl {
  QUIN_CLASS(TWebText, TWebControl)
 public:
  TWebText() = default;
  std::string Text;
  void Render(std::string& Html) const override;
};

// A push button; with a confirmation question the browser asks it before sending the click.
class TWebButton : public TWebControl {
  QUIN_CLASS(TWebButton, TWebControl)
 public:
  TWebButton() = default;
  std::string Caption;
  std::string Confirmation;
  TWebNotifyEvent OnClick;
  void Render(std::string& Html) const override;

 protected:
  bool AcceptsEvent(std::string_view Kind, std::string_view Arg) const override;
  void FireEvent(std::string_view Kind, std::string_view Arg) override;
};

// A one-line edit; Enter sends the page (and OnSubmit) when SubmitOnEnter. A posted value
// longer than MaxLength bytes refuses the request. A read-only edit shows its text and takes
// none.
class TWebEdit : public TWebControl {
  QUIN_CLASS(TWebEdit, TWebControl)
 public:
  TWebEdit() = default;
  std::string Text;
  bool Password = false;
  bool ReadOnly = false;
  bool SubmitOnEnter = false;
  int MaxLength = 1024;
  TWebNotifyEvent OnSubmit;
  void Render(std::string& Html) const override;

 protected:
  bool HasInput() const override { return !ReadOnly; }
  bool CheckInput(const TWebValues& Values) const override;
  void ApplyInput(const TWebValues& Values) override;
  bool AcceptsEvent(std::string_view Kind, std::string_view Arg) const override;
  void FireEvent(std::string_view Kind, std::string_view Arg) override;
};

// A multi-line edit. Lines are separated by CR LF. A posted text of more than MaxLength
// bytes (line breaks counted once) refuses the request.
class TWebMemo : public TWebControl {
  QUIN_CLASS(TWebMemo, TWebControl)
 public:
  TWebMemo() = default;
  std::string Text;
  bool ReadOnly = false;
  int MaxLength = 64 * 1024;
  void Render(std::string& Html) const override;

 protected:
  bool HasInput() const override { return !ReadOnly; }
  bool CheckInput(const TWebValues& Values) const override;
  void ApplyInput(const TWebValues& Values) override;
};

class TWebCheckBox : public TWebControl {
  QUIN_CLASS(TWebCheckBox, TWebControl)
 public:
  TWebCheckBox() = default;
  std::string Caption;
  bool Checked = false;
  // Runs when the user ticks or clears the box.
  TWebNotifyEvent OnClick;
  void Render(std::string& Html) const override;

 protected:
  bool HasInput() const override { return true; }
  void ApplyInput(const TWebValues& Values) override;
  bool AcceptsEvent(std::string_view Kind, std::string_view Arg) const override;
  void FireEvent(std::string_view Kind, std::string_view Arg) override;
};

struct TWebListItem {
  std::string Text;
  TObject* Object = nullptr;  // not owned
  bool Selected = false;
};

// A list box; with MultiSelect every item carries its own selected flag.
class TWebListBox : public TWebControl {
  QUIN_CLASS(TWebListBox, TWebControl)
 public:
  TWebListBox() = default;
  std::vector<TWebListItem> Items;
  bool MultiSelect = false;
  int Rows = 8;
  TWebNotifyEvent OnChange;
  TWebNotifyEvent OnDblClick;
  // The Enter key on the list (the page's default action).
  TWebNotifyEvent OnEnter;

  int AddItem(std::string Text, TObject* Object = nullptr);
  void Clear();
  int Count() const { return static_cast<int>(Items.size()); }
  // The selected item (the first selected with MultiSelect); -1 for none.
  int ItemIndex() const;
  // Selects Index alone (-1: nothing); an index out of range raises EListError.
  void SetItemIndex(int Index);
  // Indices of the selected items, ascending.
  std::vector<int> SelectedIndices() const;

  void Render(std::string& Html) const override;

 protected:
  bool HasInput() const override { return true; }
  bool CheckInput(const TWebValues& Values) const override;
  void ApplyInput(const TWebValues& Values) override;
  bool AcceptsEvent(std::string_view Kind, std::string_view Arg) const override;
  void FireEvent(std::string_view Kind, std::string_view Arg) override;
  virtual bool IsDropDown() const { return false; }
};

// A drop-down list: one selection at most.
class TWebComboBox : public TWebListBox {
  QUIN_CLASS(TWebComboBox, TWebListBox)
 public:
  TWebComboBox() = default;

 protected:
  bool IsDropDown() const override { return true; }
};

// An image given by URL or by file name (a file below the files folder is served from there,
// any other file through the session). A click runs OnClick; the sender carries the Tag.
class TWebImageFile : public TWebControl {
  QUIN_CLASS(TWebImageFile, TWebControl)
 public:
  TWebImageFile() = default;
  std::string Url;
  std::string FileName;
  std::string AltText;
  std::string Hint;  // shown when the pointer rests on the image
  TWebNotifyEvent OnClick;
  // The address the browser loads the image from.
  std::string ImageUrl() const;
  void Render(std::string& Html) const override;

 protected:
  bool AcceptsEvent(std::string_view Kind, std::string_view Arg) const override;
  void FireEvent(std::string_view Kind, std::string_view Arg) override;
};

class TWebTreeView;

struct TWebTreeItem {
  std::string Caption;
  std::string Css;
  TObject* Object = nullptr;  // not owned
  TWebTreeItem* Parent = nullptr;
  bool Expanded = false;
  int Index = 0;  // position in the tree's item list
};

// A tree of items; a click on an item runs OnItemClick, a click on its sign expands or
// collapses it. OnRenderTag may change the opening tag written for each item.
class TWebTreeView : public TWebControl {
  QUIN_CLASS(TWebTreeView, TWebControl)
 public:
  TWebTreeView() = default;
  std::function<void(TWebTreeView& Sender, TWebTreeItem& Item)> OnItemClick;
  std::function<void(const TWebTreeItem& Item, std::string& Tag)> OnRenderTag;

  // Adds an item below Parent (null: at the top level).
  TWebTreeItem* AddItem(TWebTreeItem* Parent, std::string Caption, TObject* Object = nullptr);
  void Clear();
  int Count() const { return static_cast<int>(FItems.size()); }
  TWebTreeItem& Item(int Index);
  bool HasChildren(const TWebTreeItem& Item) const;
  // True when every item above Item is expanded.
  bool IsItemShown(const TWebTreeItem& Item) const;

  void Render(std::string& Html) const override;

 protected:
  bool AcceptsEvent(std::string_view Kind, std::string_view Arg) const override;
  void FireEvent(std::string_view Kind, std::string_view Arg) override;

 private:
  void RenderLevel(std::string& Html, const TWebTreeItem* Parent) const;
  const TWebTreeItem* ItemFromArg(std::string_view Arg) const;
  std::vector<std::unique_ptr<TWebTreeItem>> FItems;
};

// One item of a menu; the caption is raw HTML. The item owns its sub-items.
class TWebMenuItem : public TObject {
  QUIN_CLASS(TWebMenuItem, TObject)
 public:
  TWebMenuItem() = default;
  std::string Name;
  std::string Caption;
  bool Visible = true;
  bool Enabled = true;
  std::intptr_t Tag = 0;
  std::function<void(TWebMenuItem& Sender)> OnClick;

  TWebMenuItem* Add(std::string AName, std::string ACaption);
  // Appends an item made elsewhere (it may be of a derived class); returns it.
  TWebMenuItem* Append(std::unique_ptr<TWebMenuItem> Item);
  const std::vector<std::unique_ptr<TWebMenuItem>>& Items() const { return FItems; }
  TWebMenuItem* Parent() const { return FParent; }
  int Count() const { return static_cast<int>(FItems.size()); }
  TWebMenuItem& operator[](int Index) const;
  void Clear() { FItems.clear(); }

 private:
  TWebMenuItem* FParent = nullptr;
  std::vector<std::unique_ptr<TWebMenuItem>> FItems;
};

// A menu bar showing its menu model's top items as cells, their sub-items as drop-downs.
class TWebMenu : public TWebControl {
  QUIN_CLASS(TWebMenu, TWebControl)
 public:
  TWebMenu() { Css = "topmenu"; }
  TWebMenuItem Items;
  std::string ItemCss = "topmenu";
  std::string SelectedCss = "curmenu";
  std::string DisabledCss = "disabledtopmenu";
  void Render(std::string& Html) const override;

 protected:
  bool AcceptsEvent(std::string_view Kind, std::string_view Arg) const override;
  void FireEvent(std::string_view Kind, std::string_view Arg) override;

 private:
  TWebMenuItem* ItemFromArg(std::string_view Arg) const;
  void RenderItems(std::string& Html, const TWebMenuItem& Parent, const std::string& Path,
                   bool Top) const;
};

// A timer the browser calls back without reloading the page.
class TWebTimer : public TWebControl {
  QUIN_CLASS(TWebTimer, TWebControl)
 public:
  TWebTimer() = default;
  int Interval = 1000;  // milliseconds
  TWebNotifyEvent OnAsyncTimer;
  void Render(std::string& Html) const override {}

 protected:
  bool AcceptsEvent(std::string_view Kind, std::string_view Arg) const override;
  void FireEvent(std::string_view Kind, std::string_view Arg) override;
};

// A page. It belongs to its session, which creates it, shows it and releases it.
class TWebForm : public TWebContainer {
  QUIN_CLASS(TWebForm, TWebContainer)
 public:
  TWebForm() = default;
  ~TWebForm() override;

  std::string Title;
  std::string StyleSheetUrl;
  std::vector<std::string> ExtraHeader;  // raw lines for the page head
  std::string BgColor = "#FFFFFF";
  // Runs before each rendering of the page.
  std::function<void(TWebForm& Sender)> OnRender;

  TWebSession* Session() const { return FSession; }
  // Puts the page on top of its session's pages.
  void Show();
  // Releases the page: the page below it comes back. During an event the page is freed when
  // the handler has returned.
  void Release();
  bool IsReleased() const { return FReleased; }
  // The page's serial number in its session; pages post it to tell which page sent a request.
  const std::string& PageId() const { return FPageId; }
  // The showing control with this identifier; null when none (or deleted).
  TWebControl* FindControl(std::string_view Id) const;

  // The whole HTML document.
  std::string RenderPage();
  void Render(std::string& Html) const override;

 private:
  friend class TWebContainer;
  friend class TWebControl;
  friend class TWebSession;
  friend class TWebServer;
  void Register(TWebControl& Control);
  void Unregister(TWebControl& Control);
  void FreeDeleted() { FDeleted.clear(); }

  TWebSession* FSession = nullptr;
  std::string FPageId;
  bool FReleased = false;
  int FNextId = 0;
  std::unordered_map<std::string, TWebControl*> FIndex;
  std::vector<std::unique_ptr<TWebControl>> FDeleted;
};

}  // namespace quin
