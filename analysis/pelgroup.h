// Target groups: a Boolean expression over answers ("sex = female and age in [a1, a2]"),
// combined with "and", "or" and "not", that selects respondents. A group is a sub-parameter of
// the target-group parameter and the general case filter of the result elements. Evaluating it
// gives, per record of a record set, whether the record is selected and whether its answers are
// missing (three-valued logic), and counts both over the records of the chosen waves.
//
// Expressions come from untrusted files: the reader bounds their nesting, and unknown questions
// or responses are dropped with an information message (kept with the group for the pages that
// show it).
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "analysis/pelpar.h"
#include "analysis/pelreselem.h"
#include "base/orvmessages.h"
#include "deflang/rixcodes.h"

namespace quin {

class TGimExprOperator;
class TGimQuestion;
class TGimResponse;
class TGimWaveList;
class TGimWeight;
class TMerRecset;
class TMerResponseList;
class TOrvRandGen;
class TPelGroupNode;
class TPelGroupVar;

// Expressions nest at most this deep ("not" and parentheses each count one level).
inline constexpr int kPelGroupMaxDepth = 64;
// "Expression nested too deeply."
extern const TOrvMsgClass TPelError_GroupTooDeep;

// After an expression value: the ";" that ends its instruction, unless reading the value
// passed the instruction's end already (a code list it could not read).
void PelGroupExprEnd(TRixScanner& Scanner);

// ---- Expression objects

class TPelGroupObject : public TOrvObject {
  QUIN_CLASS(TPelGroupObject, TOrvObject)
 public:
  bool Expanded = true;               // desktop tree state
  TPelGroupObject* Parent = nullptr;  // the node or condition that holds the object
  TPelSurvey* Survey = nullptr;

  virtual bool IsRemovable() const { return true; }
  virtual bool AllowNegation() const { return true; }
  virtual bool IsNode() const { return false; }
  virtual bool IsVar() const { return false; }
  // The display text in the session's language.
  virtual std::string GetText() const { return {}; }
  // The definition text of this part.
  virtual void WriteToStream(TStream& Stream) const {}

 protected:
  TPelGroupObject(TPelGroupObject* AParent, TPelSurvey* ASurvey)
      : Parent(AParent), Survey(ASurvey) {}
  // Expanded and Survey; the copy has no parent until it is placed.
  TPelGroupObject(const TPelGroupObject& Source)
      : TOrvObject(Source), Expanded(Source.Expanded), Survey(Source.Survey) {}
};

// The children of a node (owned): adding an object makes the node its parent; Extract hands
// a child over without freeing it.
class TPelChildrenList : public TOrvTypedList<TPelGroupObject> {
  QUIN_CLASS(TPelChildrenList, TOrvObjectList)
 public:
  explicit TPelChildrenList(TPelGroupNode* ANode) : TOrvTypedList(true), Node(ANode) {}
  TPelChildrenList(const TPelChildrenList&) = delete;
  TPelGroupNode* Node;
  TPelGroupObject* Add(std::unique_ptr<TPelGroupObject> Obj);
  TPelGroupObject* Insert(int Index, std::unique_ptr<TPelGroupObject> Obj);
  std::unique_ptr<TPelGroupObject> Take(int Index);
};

// An operator ("not", "and", "or") applied to its children.
class TPelGroupNode : public TPelGroupObject {
  QUIN_CLASS(TPelGroupNode, TPelGroupObject)
  QUIN_COPY(TPelGroupNode)
 public:
  TPelGroupNode(TPelGroupObject* AParent, TPelSurvey* ASurvey, const TGimExprOperator& AOperator);
  // The conditions and nodes among the children, deep-copied.
  TPelGroupNode(const TPelGroupNode& Source);

  TPelChildrenList Children{this};
  const TGimExprOperator* Operator;  // the class-level instance of the operator class

  // A random node over Questions (see TPelGroup::CreateRandom); Top for the group's root.
  static std::unique_ptr<TPelGroupNode> CreateRandom(TPelGroupObject* AParent, TPelSurvey* ASurvey,
                                                     const std::vector<TGimQuestion*>& Questions,
                                                     TOrvRandGen& Gen);

  int ChildCount() const { return Children.Count(); }
  TPelGroupObject* Child(int Index) const { return Children.GetItem(Index); }
  bool IsNot() const;
  bool IsAnd() const;
  bool IsOr() const;

  bool IsNode() const override { return true; }
  std::string GetText() const override;
  void WriteToStream(TStream& Stream) const override;

 private:
  std::string Text(bool Display) const;
};

// One value of a condition.
class TPelGroupVal : public TPelGroupObject {
  QUIN_CLASS(TPelGroupVal, TPelGroupObject)
 public:
  bool AllowNegation() const override { return false; }
  // The label in the session's language.
  virtual std::string AsLabel() const = 0;
  // The value's codes in the session's number format.
  virtual std::string AsString() const = 0;
  // A new response that matches the records this value selects.
  virtual std::unique_ptr<TGimResponse> GetResponse() const = 0;
  virtual TGimResponse* GetSourceResponse() const = 0;

 protected:
  using TPelGroupObject::TPelGroupObject;
  TPelGroupVal(const TPelGroupVal&) = default;
};

// One response.
class TPelGroupValSingle : public TPelGroupVal {
  QUIN_CLASS(TPelGroupValSingle, TPelGroupVal)
  QUIN_COPY(TPelGroupValSingle)
 public:
  TPelGroupValSingle(TPelGroupObject* AParent, TPelSurvey* ASurvey, TGimResponse* AResponse)
      : TPelGroupVal(AParent, ASurvey), Response(AResponse) {}
  TPelGroupValSingle(const TPelGroupValSingle&) = default;

  TGimResponse* Response;  // not owned

  std::string AsLabel() const override;
  std::string AsString() const override;
  std::unique_ptr<TGimResponse> GetResponse() const override;
  TGimResponse* GetSourceResponse() const override { return Response; }
  std::string GetText() const override;
  void WriteToStream(TStream& Stream) const override;
};

// One response restricted to code ranges.
class TPelGroupValCodeRange : public TPelGroupValSingle {
  QUIN_CLASS(TPelGroupValCodeRange, TPelGroupValSingle)
  QUIN_COPY(TPelGroupValCodeRange)
 public:
  TPelGroupValCodeRange(TPelGroupObject* AParent, TPelSurvey* ASurvey, TGimResponse* AResponse,
                        std::unique_ptr<TRixCodeList> ACodes);
  TPelGroupValCodeRange(const TPelGroupValCodeRange& Source);

  std::unique_ptr<TRixCodeList> Codes;  // owned, never null

  std::string AsLabel() const override;
  std::string AsString() const override;
  // A copy of the response whose codes are Codes (its numeric codes kept as they are).
  std::unique_ptr<TGimResponse> GetResponse() const override;
  std::string GetText() const override;
  void WriteToStream(TStream& Stream) const override;
};

// The values of a condition (owned).
class TPelGroupResponseList : public TOrvTypedList<TPelGroupVal> {
  QUIN_CLASS(TPelGroupResponseList, TOrvObjectList)
 public:
  TPelGroupResponseList(TPelGroupVar* AVar, TPelSurvey* ASurvey)
      : TOrvTypedList(true), Var(AVar), Survey(ASurvey) {}
  TPelGroupResponseList(const TPelGroupResponseList&) = delete;

  TPelGroupVar* Var;
  TPelSurvey* Survey;

  TPelGroupVal* AddResponse(TGimResponse* Response);
  TPelGroupVal* InsertResponse(int Index, TGimResponse* Response);
  // Takes Codes over.
  TPelGroupVal* AddCodeRange(TGimResponse* Response, std::unique_ptr<TRixCodeList> Codes);
  TPelGroupVal* InsertCodeRange(int Index, TGimResponse* Response,
                                std::unique_ptr<TRixCodeList> Codes);
  // A code-range value of the single code Code.
  TPelGroupVal* AddCode(TGimResponse* Response, double Code);
  // Val (owned) at Index, its parent the list's condition.
  TPelGroupVal* InsertValue(int Index, std::unique_ptr<TPelGroupVal> Val);
  bool ContainsResponse(const TGimResponse* Response) const {
    return IndexOfResponse(Response) >= 0;
  }
  int IndexOfResponse(const TGimResponse* Response) const;
  // A new response list holding GetResponse of every value.
  std::unique_ptr<TMerResponseList> CreateResponseList() const;
  // The values' display texts joined by ", ".
  std::string GetText() const;
  // The values' definition texts separated by ", ".
  void WriteToStream(TStream& Stream) const;
};

// A condition: the question's answer is one of the values.
class TPelGroupVar : public TPelGroupObject {
  QUIN_CLASS(TPelGroupVar, TPelGroupObject)
  QUIN_COPY(TPelGroupVar)
 public:
  TPelGroupVar(TPelGroupObject* AParent, TPelSurvey* ASurvey);
  // The values deep-copied, their parent the copy.
  TPelGroupVar(const TPelGroupVar& Source);

  TGimQuestion* Question = nullptr;  // not owned
  TPelGroupResponseList Values{this, nullptr};

  // A condition on Question taking each of its selectable responses with probability 0.3
  // (at least one).
  static std::unique_ptr<TPelGroupVar> CreateRandom(TPelGroupObject* AParent, TPelSurvey* ASurvey,
                                                    TGimQuestion* AQuestion, TOrvRandGen& Gen);

  bool IsVar() const override { return true; }
  std::string GetText() const override;
  void WriteToStream(TStream& Stream) const override;
};

// ---- The target group

class TPelGroup : public TPelSubPar {
  QUIN_CLASS(TPelGroup, TPelSubPar)
 public:
  TPelGroup(TPelSurvey* ASurvey = nullptr, TPelParMulti* AOwner = nullptr);
  // The tree, the flags and the counts deep-copied; Calculated is not.
  TPelGroup(const TPelGroup& Source);
  ~TPelGroup() override;
  std::unique_ptr<TOrvObject> CreateCopy() const override {
    return std::unique_ptr<TOrvObject>(new TPelGroup(*this));
  }

  int FlagCount = 0;   // the size of both flag arrays
  TPelFlags Selected;  // per record: selected
  TPelFlags Missing;   // per record: the expression is undefined
  double CaseCount = 0;
  double SelectedCount = 0;
  double MissingCount = 0;
  double WeightedCases = 0;
  double WeightedSelected = 0;
  double WeightedMissing = 0;
  bool Calculated = false;
  std::unique_ptr<TPelGroupNode> Root;  // null: all cases
  // The information messages raised while the expression was read (unknown questions and
  // responses that were dropped).
  TOrvMsgList ReadNotes{0, 0};

  // A group of a random expression over the survey's questions (test data).
  static std::unique_ptr<TPelGroup> CreateRandom(TPelSurvey* ASurvey, TPelParMulti* AOwner,
                                                 TOrvRandGen& Gen);

  // ---- Editing
  // Adds Var under Operator: see the rules in the source.
  TPelGroupVar* AddCondition(std::unique_ptr<TPelGroupVar> Var, const TGimExprOperator& Operator,
                             TPelGroupNode* Node, TPelGroupObject* Sibling);
  // Removes and frees Obj (a value, condition or node); a condition left without values goes
  // too; with ANormalize the parent is normalised. Nothing for null or brackets.
  void RemoveObject(TPelGroupObject* Obj, bool ANormalize);
  // Drops empty nodes and conditions without question or values, lifts the single child of an
  // "and"/"or" node into its place and cancels "not not", from Node down and upwards.
  void Normalize(TPelGroupNode* Node);
  // The node that holds Obj among its children; null for Root or an object outside the tree.
  TPelGroupNode* FindParentNode(const TPelGroupObject* Obj) const;

  // ---- Reading and evaluating
  // Frees Root and reads "all" (Root stays null) or an expression, then normalises it. Reads
  // neither a key nor the ";" after the value.
  void ParseExpr(TRixScanner& Scanner, TPelSurvey* ASurvey);
  // Evaluates the group per record of Recset and counts over the records of WaveList's waves
  // (nothing without a wave list); SelectedCount rounded.
  int Evaluate(const TGimWaveList* WaveList, const TGimWeight* Weight, TMerRecset* Recset);
  // Both flag arrays for N records (unless they have that size).
  void SetSize(int N);
  // Hands both flag arrays over (the group keeps none).
  void TakeFlags(TPelFlags& ASelected, TPelFlags& AMissing);
  // Releases the flag arrays and the evaluation's work arrays.
  void ReleaseFlags();
  // The name and ": " unless auto-named, then the expression's display text (or "All cases").
  std::string GetText() const;
  // The expression's definition text; empty for all cases. A condition without values, which
  // would not read back ("q = "), is left out as normalising leaves it out.
  std::string ExprText() const;
  // The 1-based position in the owning parameter; 0 without one.
  int Position() const;

  // ---- Overrides of the sub-parameter
  bool ReadKey(TRixScanner& Scanner, TPelSurvey* ASurvey) override;
  void Clear() override;
  TPelResElem* CreateResElem() override;
  bool HasElemList() const override { return false; }
  bool IsSimple() const override;
  std::string GetDefaultName() const override;
  TPelResElem* CreateItemElem(int Index, bool Detail) override { return nullptr; }
  void WriteBody(TStream& Stream, int& Indent) const override;

 private:
  struct TWork {
    // The pair of flag arrays of each nesting level below the root (a deque: growing it
    // leaves the arrays of the outer levels in place while they are in use).
    std::deque<TPelFlags> S, M;
    // The weights the counting uses: a copy, since evaluating a condition (on a user-defined
    // question) may prepare the survey's shared weights for another weighting.
    std::vector<double> Weights;
    // Level L's arrays for N records.
    void Level(size_t L, size_t N);
  };
  // Evaluates Obj into (S, M); the children of a node at nesting Level keep their results in
  // the work arrays of that level.
  void EvalObject(const TPelGroupObject& Obj, size_t Level, TPelFlags& S, TPelFlags& M,
                  TMerRecset* Recset);
  std::unique_ptr<TWork> FWork;  // evaluation buffers, reused from evaluation to evaluation
};

}  // namespace quin
