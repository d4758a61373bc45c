// Survey data objects: every named thing of a survey (weightings, waves, regions, groups,
// modules, questions, response axes, responses, record sets, media objects and indicators) has
// an identifier, a bilingual name, nick and info text, an owner in the survey's object tree and
// the survey whose language manager translates its texts.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/orvclasses.h"

namespace quin {

class TMerSurvey;
class TGimSimpleDataObject;

// ---- Views: the list and tree controls that objects fill themselves into. A host implements
// them over its own controls; TGimViewModel is a neutral model of both.

enum class TGimCheckState { Unchecked, Checked, Grayed };

// A node handle of a tree view; each view derives its own nodes.
struct TGimViewNode {
  virtual ~TGimViewNode() = default;
};

class TGimListView {
 public:
  virtual ~TGimListView() = default;
  virtual void AddItem(const std::string& Caption, TGimSimpleDataObject* Obj) = 0;
};

class TGimTreeView {
 public:
  virtual ~TGimTreeView() = default;
  // A new child of Parent (a top-level node when Parent is null).
  virtual TGimViewNode* AddChild(TGimViewNode* Parent, const std::string& Caption,
                                 TGimSimpleDataObject* Obj, int ImageIndex) = 0;
  virtual void SetState(TGimViewNode* Node, TGimCheckState State) = 0;
};

// A list and tree of plain nodes: caption, carried object, check state, image, children.
class TGimViewModel : public TGimListView, public TGimTreeView {
 public:
  struct TNode : TGimViewNode {
    std::string Caption;
    TGimSimpleDataObject* Obj = nullptr;
    TGimCheckState State = TGimCheckState::Unchecked;
    int ImageIndex = -1;
    std::vector<std::unique_ptr<TNode>> Children;
  };
  struct TItem {
    std::string Caption;
    TGimSimpleDataObject* Obj = nullptr;
  };

  void AddItem(const std::string& Caption, TGimSimpleDataObject* Obj) override;
  TGimViewNode* AddChild(TGimViewNode* Parent, const std::string& Caption,
                         TGimSimpleDataObject* Obj, int ImageIndex) override;
  void SetState(TGimViewNode* Node, TGimCheckState State) override;

  std::vector<TItem> Items;
  std::vector<std::unique_ptr<TNode>> Roots;
};

// ---- Data objects

class TGimDataObjectList;

class TGimSimpleDataObject : public TOrvPersistent {
  QUIN_CLASS(TGimSimpleDataObject, TOrvPersistent)
  QUIN_COPY(TGimSimpleDataObject)
 public:
  TGimSimpleDataObject() = default;
  // Copies file name, ID, info, name, nick and the survey reference; neither the path flags
  // nor the owner.
  TGimSimpleDataObject(const TGimSimpleDataObject& Source);

  std::string FileName;          // a file of the object's own (press titles); empty otherwise
  std::string ID;                // compared without regard to case
  std::string Info;              // bilingual
  std::string Name;              // bilingual
  bool HiddenInPath = false;     // left out of the full names of the objects below
  bool NameWithOwners = false;   // the full name continues through the owner
  std::string Nick;              // bilingual
  TMerSurvey* Survey = nullptr;  // not owned; may be null

  virtual std::string GetID() const;
  // Translated by the survey's language manager (as stored without a survey), then trimmed.
  virtual std::string GetInfo() const;
  virtual std::string GetName() const;
  // The name, preceded by the owners' names while the name-with-owners flag leads upward.
  virtual std::string GetFullName() const;
  virtual std::string GetNick() const;
  virtual std::string GetFullNick() const;
  // Creation in a survey: Parent becomes the owner, then the survey reference is set. The
  // caller appends the object to its parent's child list.
  virtual void CreateInSurvey(TMerSurvey* ASurvey, TOrvPersistent* AParent);
  virtual void AddToListView(TGimListView& View);
  virtual TGimViewNode* AddToTreeView(TGimTreeView& Tree, TGimViewNode* ParentNode,
                                      TGimCheckState State);
  // As AddToTreeView, but only when the object is in Selection; null otherwise.
  virtual TGimViewNode* AddToTreeViewSelected(TGimTreeView& Tree, TGimViewNode* ParentNode,
                                              bool WholeIfSelected, TGimCheckState State,
                                              const TOrvObjectList& Selection);
  // The object is in Selection (modules: something below them is).
  virtual bool IsInSelection(const TOrvObjectList& Selection) const;
  // This object when it is of ObjClass (or derives from it) and its ID equals ID (case
  // ignored); null otherwise.
  virtual TGimSimpleDataObject* FindObject(const ClassInfo& ObjClass, std::string_view AID);
  virtual int ImageIndex() const { return -1; }

  // Selection holds this very object.
  bool IsSelected(const TOrvObjectList& Selection) const { return Selection.IndexOf(this) >= 0; }

 protected:
  // Text translated by the survey's manager; unchanged without a survey.
  std::string SurveyText(const std::string& Text) const;

 private:
  std::string FullText(bool Nicks) const;
};

// Creates T through its class and places it in the survey below Parent (not appended).
template <class T>
std::unique_ptr<T> NewInSurvey(TMerSurvey* Survey, TOrvPersistent* Parent) {
  std::unique_ptr<T> P = New<T>();
  P->CreateInSurvey(Survey, Parent);
  return P;
}

// An owning list of survey objects.
class TGimDataObjectList : public TOrvTypedList<TGimSimpleDataObject> {
  QUIN_CLASS(TGimDataObjectList, TOrvObjectList)
 public:
  using TOrvTypedList::TOrvTypedList;
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TGimDataObjectList(*this));
  }
};

// A survey object with owned children (searched by class and identifier).
class TGimDataObject : public TGimSimpleDataObject {
  QUIN_CLASS(TGimDataObject, TGimSimpleDataObject)
  QUIN_COPY(TGimDataObject)
 public:
  TGimDataObject() = default;
  // The inherited copy, then a deep copy of the children when the source has them.
  TGimDataObject(const TGimDataObject& Source);

  // Null until a subclass creates it.
  std::unique_ptr<TGimDataObjectList> Children;
  int ChildCount() const { return Children ? Children->Count() : 0; }
  TGimSimpleDataObject* Child(int Index) const { return Children->GetItem(Index); }
  // Appends Obj to the children (created when missing) and makes this object its owner.
  TGimSimpleDataObject* AddChild(std::unique_ptr<TGimSimpleDataObject> Obj);

  void AddToListView(TGimListView& View) override;
  TGimViewNode* AddToTreeView(TGimTreeView& Tree, TGimViewNode* ParentNode,
                              TGimCheckState State) override;
  // Itself when it matches, else the first match below it, depth first.
  TGimSimpleDataObject* FindObject(const ClassInfo& ObjClass, std::string_view AID) override;
};

// A node of the survey's data tree (and of the media trees): modules, questions and media
// objects below it.
class TGimModule : public TGimDataObject {
  QUIN_CLASS(TGimModule, TGimDataObject)
  QUIN_COPY(TGimModule)
 public:
  TGimModule() = default;
  TGimModule(const TGimModule&) = default;

  void CreateInSurvey(TMerSurvey* ASurvey, TOrvPersistent* AParent) override;
  TGimViewNode* AddToTreeView(TGimTreeView& Tree, TGimViewNode* ParentNode,
                              TGimCheckState State) override;
  TGimViewNode* AddToTreeViewSelected(TGimTreeView& Tree, TGimViewNode* ParentNode,
                                      bool WholeIfSelected, TGimCheckState State,
                                      const TOrvObjectList& Selection) override;
  // Some child is in Selection or holds something that is (recursive).
  bool IsInSelection(const TOrvObjectList& Selection) const override;

  // Adds to List (a non-owning list, created when null), in tree order, every object below
  // this module whose class is exactly ObjClass or, with WithDescendants, derives from it.
  // Modules that do not match are descended into; matching objects are not.
  void CollectObjects(const ClassInfo& ObjClass, bool WithDescendants,
                      std::unique_ptr<TGimDataObjectList>& List) const;
};

}  // namespace quin
