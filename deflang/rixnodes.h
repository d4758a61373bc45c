// The parse tree of a schema-driven reading: one node per instruction or block read, with
// copies of the tokens that made it, so that the readers' events and the caller can look at
// what was written and where.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/orvscanner.h"

namespace quin {

class TRixDef;
class TRixNode;
class TRixNodeComplex;

// The children of a block node; owns them.
class TRixNodeList : public TOrvTypedList<TRixNode> {
  QUIN_CLASS(TRixNodeList, TOrvObjectList)
 public:
  TRixNodeList() : TOrvTypedList(true) {}
};

class TRixNode : public TObject {
  QUIN_CLASS(TRixNode, TObject)
 public:
  ~TRixNode() override;
  TRixNode(const TRixNode&) = delete;
  TRixNode& operator=(const TRixNode&) = delete;

  TRixNodeComplex* Parent() const { return FParent; }
  TRixDef* Def() const { return FDef; }
  // The key (for a block: the identifier after "def"); null for the root.
  const TOrvToken* KeyToken() const { return FKeyToken.get(); }
  // The ";" that closed the instruction or block; null when it was missing.
  const TOrvToken* SepToken() const { return FSepToken.get(); }
  void SetSepToken(const TOrvToken& Token) { FSepToken = CopyOf(Token); }
  // The number of blocks around the node (0 for the root).
  int Level() const { return FLevel; }

  // Appends the node's text to Lines, each level indented by two blanks.
  virtual void WriteText(std::vector<std::string>& Lines, int Indent) const = 0;
  virtual TRixNode* FindChild(std::string_view Key, int Occurrence = 0) const { return nullptr; }
  virtual TRixNodeComplex* FindObjectNode(const TObject* Obj, bool Deep) const { return nullptr; }

 protected:
  // A node under AParent is appended to its children (the parent owns it).
  TRixNode(TRixNodeComplex* AParent, TRixDef* ADef, const TOrvToken* AKeyToken);

 private:
  TRixNodeComplex* FParent;
  TRixDef* FDef;
  std::unique_ptr<TOrvToken> FKeyToken;
  std::unique_ptr<TOrvToken> FSepToken;
  int FLevel;
};

// key = value, value, ...;
class TRixNodeSimple : public TRixNode {
  QUIN_CLASS(TRixNodeSimple, TRixNode)
 public:
  // The node, owned by AParent.
  static TRixNodeSimple* Create(TRixNodeComplex* AParent, TRixDef* ADef,
                                const TOrvToken* AKeyToken);

  const TOrvToken* DefSimpleToken() const { return FDefSimpleToken.get(); }
  void SetDefSimpleToken(const TOrvToken& Token) { FDefSimpleToken = CopyOf(Token); }
  // The values read, in reading order (copies).
  TOrvTokenList& Values() { return FValues; }
  const TOrvTokenList& Values() const { return FValues; }
  void AddValue(const TOrvToken& Token) { FValues.AddCopy(Token); }

  void WriteText(std::vector<std::string>& Lines, int Indent) const override;

 private:
  using TRixNode::TRixNode;
  std::unique_ptr<TOrvToken> FDefSimpleToken;
  TOrvTokenList FValues{true};
};

// def key ... end; (and the root of a reading, which has neither "def" nor key).
class TRixNodeComplex : public TRixNode {
  QUIN_CLASS(TRixNodeComplex, TRixNode)
 public:
  // The node, owned by AParent.
  static TRixNodeComplex* Create(TRixNodeComplex* AParent, TRixDef* ADef,
                                 const TOrvToken* ADefToken, const TOrvToken* AKeyToken,
                                 TObject* ATarget);
  // A root node, owned by the caller.
  static std::unique_ptr<TRixNodeComplex> CreateRoot(TRixDef* ADef, TObject* ATarget);

  const TOrvToken* DefToken() const { return FDefToken.get(); }
  const TOrvToken* EndToken() const { return FEndToken.get(); }
  void SetEndToken(const TOrvToken& Token) { FEndToken = CopyOf(Token); }
  TRixNodeList& Children() { return FChildren; }
  const TRixNodeList& Children() const { return FChildren; }
  // The object the block's values went to (not owned); null when nothing was stored.
  TObject* Target() const { return FTarget; }
  void SetTarget(TObject* ATarget) { FTarget = ATarget; }

  void WriteText(std::vector<std::string>& Lines, int Indent) const override;
  // The child with that key (case ignored) after Occurrence earlier matches.
  TRixNode* FindChild(std::string_view Key, int Occurrence = 0) const override;
  // The child block whose target is Obj; with Deep the children's children too.
  TRixNodeComplex* FindObjectNode(const TObject* Obj, bool Deep) const override;

  // Bookkeeping of the reading: the first node of each definition of the block's list, by the
  // definition's index, and the first nested block of the block's own kind.
  TRixNode* DefNode(int Index) const;
  void NoteDefNode(int Index, TRixNode* Node);
  TRixNodeComplex* NestedNode() const { return FNestedNode; }
  void NoteNestedNode(TRixNodeComplex* Node) {
    if (!FNestedNode) FNestedNode = Node;
  }

 private:
  using TRixNode::TRixNode;
  std::unique_ptr<TOrvToken> FDefToken;
  std::unique_ptr<TOrvToken> FEndToken;
  TRixNodeList FChildren;
  TObject* FTarget = nullptr;
  std::vector<TRixNode*> FDefNodes;
  TRixNodeComplex* FNestedNode = nullptr;
};

}  // namespace quin
