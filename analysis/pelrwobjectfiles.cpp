#include "analysis/pelrwobjectfiles.h"

#include "analysis/pelsurvey.h"
#include "base/langmanager.h"
#include "base/log.h"
#include "base/orvbinary.h"
#include "base/orvexceptions.h"
#include "base/orvfiles.h"
#include "base/orvstreams.h"
#include "base/text.h"
#include "deflang/rixwriter.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TPelParFileScanner, TRixScanner)
QUIN_IMPLEMENT_CLASS(TPelRWObjectFileElem, TOrvObject)
QUIN_IMPLEMENT_CLASS(TPelRWObjectFileElemList, TOrvObjectList)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelRWObjectFile, TOrvObject)

const char* const kPelParFileTitle = "// Tabulon parameter definitions file.";

const TGUID& PelParFileSignature(uint8_t Kind) {
  static const TGUID Kind0 = StringToGUID("{BF2AC92A-CCC0-43FF-B261-F17C803F3A0C}");
  static const TGUID Kind1 = StringToGUID("{8DDB255D-5D1E-4680-B2C8-3B449CDE62F1}");
  return Kind == 1 ? Kind1 : Kind0;
}

bool RaisesForOtherSurvey(const TRixScanner& Scanner) {
  const auto* S = As<TPelParFileScanner>(&Scanner);
  return S && S->RaiseIfOtherSurvey;
}

void TPelRWObjectFile::LoadFromFile(const std::string& AFileName, const TPelRWClass* OnlyClass) {
  TFileStream Stream(AFileName, fmOpenRead | fmShareDenyWrite);
  ReadFromStream(Stream, OnlyClass);
}

void TPelRWObjectFile::ReadFromStream(TStream& Stream, const TPelRWClass* OnlyClass) {
  // The first error stops the load.
  TOrvMsgList MsgList(0, 1);
  auto Scanner = New<TPelParFileScanner>(ReadRestOfStream(Stream), &MsgList);
  Scanner->NextToken();
  while (!Scanner->Token->Is<TOrvTokenEOF>()) {
    if (RixKeyTaken(*Scanner, Scanner->ReadSignature("signature", PelParFileSignature(Kind))))
      continue;
    if (RixKeyTaken(*Scanner, Scanner->ReadVersion("version", 0, 1))) continue;
    if (Scanner->Token->Is<TRixTokenDefStart>()) {
      ReadBlock(*Scanner, MsgList, OnlyClass);
      continue;
    }
    Scanner->AddMsgAt(TRixMsgError_UnknownKey, Scanner->Token->StartPos);
    return;  // not reached: the error ends the load
  }
}

void TPelRWObjectFile::ReadBlock(TPelParFileScanner& Scanner, TOrvMsgList& MsgList,
                                 const TPelRWClass* OnlyClass) {
  const TOrvTextPos DefPos = Scanner.Token->StartPos;
  Scanner.NextToken();
  const auto* Id = As<TOrvTokenIdentifier>(Scanner.Token.get());
  if (!Id) {
    Scanner.AddMsgAt(TRixMsgError_IdentifierExpected, Scanner.Token->StartPos);
    throw EMsgList_FatalError(Cp1250("Identifier expected."));
  }
  const TPelRWClass* Class = FindRWObjectClass(Id->Text);
  if (!Class) {
    Scanner.AddMsgAt(TRixMsgError_UnknownKey, Id->StartPos);
    throw EMsgList_FatalError(Cp1250("Unknown key."));
  }
  Scanner.NextToken();
  auto Elem = std::make_unique<TPelRWObjectFileElem>();
  Elem->ObjClass = Class;
  const int FirstMsg = MsgList.Count();
  if (!OnlyClass || OnlyClass == Class) {
    try {
      std::string Owner;
      const bool OwnSurvey = !RixKeyTaken(Scanner, Scanner.ReadIdentifier("survey", Owner)) ||
                             (Survey && SameText(Owner, Survey->GetQualifiedID()));
      if (OwnSurvey) {
        std::unique_ptr<TPelRWObject> Obj = Class->Create(Survey);
        std::string Ignored;
        if (!Obj->ReadsOwnID()) Scanner.ReadIdentifier("id", Ignored);
        Obj->ReadBody(Scanner, Survey);
        Obj->AfterLoadFromFile();
        Elem->Obj = std::move(Obj);
      }
    } catch (const std::exception&) {
      // Kept as its text below; the reader's messages say why.
      LogCaught(TLogLevel::Warning,
                "an object of a definition file cannot be read (" + Class->Keyword() + ")");
      Elem->Obj.reset();
    }
  }
  // Appended directly: no limit of the element's list applies, nor a fatal message's raise.
  for (int I = FirstMsg; I < MsgList.Count(); ++I)
    static_cast<TOrvObjectList&>(Elem->Msgs).Add(CopyOf(*MsgList.GetItem(I)).release());
  if (!Elem->Obj) {
    // Kept as its source text: the rest of the block is skipped, nested blocks counted.
    Scanner.SkipDef(DefPos);
    const TOrvTextPos End = Scanner.LastTokenEnd();
    Elem->RawText = Scanner.Text.substr(DefPos.Offset - 1, End.Offset - DefPos.Offset);
  }
  Elems.Add(std::move(Elem));
}

void TPelRWObjectFile::WriteToStream(TStream& Stream) const {
  WriteStreamLine(Stream, kPelParFileTitle);
  WriteDoNotChangeNote(Stream);
  int Indent = 0;
  WriteFileHeader(Stream, Indent, TOrvStreamGUIDHeader{PelParFileSignature(Kind), 1});
  for (int I = 0; I < Elems.Count(); ++I) {
    const TPelRWObjectFileElem* E = Elems.GetItem(I);
    if (!E->Obj) {
      WriteStreamLine(Stream, E->RawText);
      continue;
    }
    Indent = 0;
    WriteDefStart(Stream, Indent, E->Obj->GetKeyword());
    if (Survey && E->Obj->IsSurveySpecific())
      WriteKeyIdentifier(Stream, Indent, "survey", "", Survey->GetQualifiedID());
    std::unique_ptr<TPelRWObject> Copy = CopyOf(*E->Obj);
    Copy->ClearIdentity();
    Copy->WriteBody(Stream, Indent);
    WriteDefEnd(Stream, Indent);
  }
}

void TPelRWObjectFile::SaveToFile(const std::string& AFileName) {
  BackupFile(AFileName, false);
  TFileStream Stream(AFileName, fmCreate);
  WriteToStream(Stream);
}

std::string TPelRWObjectFile::GetName() const {
  return FileName.empty() ? CurrentLangManager().Translate("<PLK>[Bez nazwy]<ENU>[Noname]")
                          : FileName;
}

TPelRWObjectFileElem* TPelRWObjectFile::AddObject(std::unique_ptr<TPelRWObject> Obj) {
  auto Elem = std::make_unique<TPelRWObjectFileElem>();
  Elem->ObjClass = &Obj->RWClass();
  Elem->Obj = std::move(Obj);
  return Elems.Add(std::move(Elem));
}

std::string ParameterFileFilter() {
  return MakeDialogFilter(
      {CurrentLangManager().Translate(Cp1250("<PLK>Pliki parametrów<ENU>Parameter files"))},
      {ExtToMask(".zop")}, true);
}

}  // namespace quin
