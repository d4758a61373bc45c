// The page frame every page of the server derives from (banner, menu line, language link,
// subtitle, status line, heartbeat), the pane bases, page switching and the menu's HTML pieces.
// The HTML helpers that the table output shares with the pages live in platform/html.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/html.h"
#include "platform/webform.h"

namespace quin {

class TZepForm : public TWebForm {
  QUIN_CLASS(TZepForm, TWebForm)
 public:
  TZepForm() = default;
  // Creation: the controls, then ApplyTexts, AddExtraHeader, AfterCreate, IWAppFormCreate and
  // AddMenuSeparators.
  void AfterConstruction() override;

  virtual void ApplyTexts();
  virtual void AfterCreate() {}
  virtual std::string GetHelpTopic() const = 0;
  virtual bool HasHelp() const;
  virtual std::string GetLayoutFolder() const { return {}; }
  virtual std::string GetLayoutFile() const { return {}; }
  virtual std::string GetSubtitle() const = 0;
  virtual void ExpandLayoutFolder();
  virtual void AddExtraHeader();
  virtual void BeforeRender();
  // ApplyTexts, then AddMenuSeparators (after a language change).
  virtual void RefreshTexts();

  void AddMenuSeparators();

  TWebRegion* IWFrameRegion = nullptr;
  TWebRegion* TopImageRegion = nullptr;
  TWebImageFile* TopImageFile = nullptr;
  TWebImageFile* TopBGImageFile = nullptr;
  TWebRegion* MenuRegion = nullptr;
  TWebImageFile* MenuImageFile = nullptr;
  TWebMenu* IWMenu = nullptr;
  TWebLabel* LangLink = nullptr;
  TWebImageFile* LangImageFile = nullptr;
  TWebRegion* StatusRegion = nullptr;
  TWebImageFile* StatusImageFile = nullptr;
  TWebLabel* StatusLabel = nullptr;
  TWebRegion* SubtitleRegion = nullptr;
  TWebImageFile* TitleImageFile = nullptr;
  TWebLabel* SubtitleLabel = nullptr;
  TWebMenuItem* MainMenu = nullptr;
  TWebMenuItem* LogoutMenu = nullptr;
  TWebMenuItem* SettingsMenu = nullptr;
  TWebMenuItem* HelpMenu = nullptr;
  TWebTimer* HeartbeatTimer = nullptr;
  std::string LayoutHtml;
  // Page width in pixels (the language link and flag are placed from its right edge).
  int PageWidth = 830;
  int PageHeight = 416;

 protected:
  // Creates the page's controls; descendants call the inherited one first.
  virtual void CreateControls();
  virtual void IWAppFormCreate();
  virtual void IWAppFormRender();
  void LangLinkClick();
  void LogoutMenuClick();
  void SettingsMenuClick();
  void HelpMenuClick();
  void HeartbeatTimerAsyncTimer() {}
};

// A pane whose texts are applied at creation and again on a language change.
class TOrvFrameFrame : public TWebFrame {
  QUIN_CLASS(TOrvFrameFrame, TWebFrame)
 public:
  TOrvFrameFrame() = default;
  void AfterConstruction() override { ApplyTexts(); }
  virtual void ApplyTexts() {}
  virtual void LanguageChanged() { ApplyTexts(); }
};

// Base of the server's panes: one region the descendants fill.
class TZepFrame : public TOrvFrameFrame {
  QUIN_CLASS(TZepFrame, TOrvFrameFrame)
 public:
  TZepFrame() = default;
  // Creation: FrameRegion, then CreateControls, then the texts.
  void AfterConstruction() override;
  TWebRegion* FrameRegion = nullptr;

 protected:
  // Creates the pane's own controls; descendants call the inherited one first.
  virtual void CreateControls() {}
};

// Releases the session's active page and shows a new page of FormClass; returns it.
TWebForm* ReplaceCurrentForm(const ClassInfo& FormClass);
// Creates a page of FormClass in the calling request's session and shows it over the
// current page.
TWebForm* ShowFormOver(const ClassInfo& FormClass);

std::string FormatConfirmMenuHtml(std::string_view Caption, std::string_view Question);

// The HTML appended to a menu caption to end its cell and show the separator image.
std::string MenuSeparatorHtml(std::string_view FilesUrl);

// The translation of a UTF-8 bilingual literal by the current language manager.
std::string Tr(std::string_view Utf8, std::string_view Separator = "");

}  // namespace quin
