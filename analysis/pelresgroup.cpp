#include "analysis/pelresgroup.h"

#include "analysis/pelgroup.h"
#include "analysis/pelrwobject.h"
#include "base/orvbinary.h"
#include "deflang/rixscanner.h"
#include "deflang/rixwriter.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelResGroup, TPelResElem)

TPelResGroup::TPelResGroup(TPelSurvey* ASurvey, TPelGroup* AGroup, int AItemIndex, TPelPar* APar)
    : TPelResElem(ASurvey, AItemIndex, APar) {
  Group = UnownedGroup(AGroup);
}

TPelResGroup::TPelResGroup(const TPelResGroup& Source)
    : TPelResElem(Source), OwnsGroup(Source.OwnsGroup) {
  if (OwnsGroup && Source.Group) Group = std::make_shared<TPelGroup>(*Source.Group);
}

void TPelResGroup::OwnNewGroup() {
  Group = std::shared_ptr<TPelGroup>(New<TPelGroup>(Survey, nullptr).release());
  OwnsGroup = true;
}

std::unique_ptr<TPelResElem> TPelResGroup::CreateFromElem(TPelSurvey* Survey,
                                                          const TPelResElem* Elem) {
  auto E = std::make_unique<TPelResGroup>(Survey, nullptr, -1, nullptr);
  E->TakeIdentity(Elem);
  E->OwnNewGroup();
  const TPelResElem* Source = ResolveRef(Elem);
  if (Source && Source->Group && Source->Group->Root) E->Group->Root = CopyOf(*Source->Group->Root);
  return E;
}

bool TPelResGroup::TableDataInfo_ComparePrivate(const TPelResElem* Other) const {
  const TPelResElem* O = ResolveRef(Other);
  if (!O) return false;
  const bool Mine = Group && Group->Root;
  const bool Theirs = O->Group && O->Group->Root;
  if (!Mine || !Theirs) return Mine == Theirs;
  return Group->ExprText() == O->Group->ExprText();
}

bool TPelResGroup::TableDataInfo_ReadDef(TRixScanner& Scanner) {
  if (!Scanner.ReadDefSimpleStart("group")) return RixKeyTaken(Scanner, false);
  if (!OwnsGroup) OwnNewGroup();
  Group->ParseExpr(Scanner, Survey);
  PelGroupExprEnd(Scanner);
  return true;
}

void TPelResGroup::TableDataInfo_WriteDef(TStream& Stream, int& Indent) const {
  const std::string Expr = Group ? Group->ExprText() : std::string();
  if (Expr.empty()) {
    WriteKeyIdentifier(Stream, Indent, "group", "", "all");
    return;
  }
  WriteIndentedText(Stream, Indent, "group = " + Expr);
  WriteStreamLine(Stream, ";");
}

}  // namespace quin
