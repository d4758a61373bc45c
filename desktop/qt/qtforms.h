// The desktop framework's windows on Qt Widgets. Each window shows a form of the framework
// (its model): it passes the user's clicks, keys, resizes and the ticks of its timers to the
// form and shows what the form holds whenever the form asks. Also the desktop services on Qt:
// message boxes and file dialogs, text measuring and list controls.
//
// Only desktop programs link this library; the server and the tools never do.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <string>
#include <string_view>

#include "base/orvdialogs.h"
#include "desktop/orvappform.h"
#include "desktop/orvlogo.h"
#include "desktop/orvpanes.h"
#include "desktop/orvrecents.h"

class QFrame;
class QMenu;
class QProgressBar;
class QPushButton;
class QSocketNotifier;
class QToolBar;

namespace quin {

class TOrvSingleInstance;

namespace qt {

// Program texts (Windows-1250) to and from Qt's strings.
QString ToQ(std::string_view Text);
std::string FromQ(const QString& Text);
// File names (the file system's bytes) to and from Qt's strings.
QString PathToQ(std::string_view Path);
std::string PathFromQ(const QString& Path);
// A Delphi-style hint "short|long": the short part, shown as a tool tip.
QString ToolTipOf(std::string_view Hint);
// A colour of the program (system colours included) on the palette of Widget.
QColor ToQColor(TColor Color, const QWidget& Widget);

// The product's logo, drawn: a blue rounded square with a white "Q" of Size pixels.
QPixmap LogoPixmap(int Size);

// Boxes and file dialogs as modal Qt windows over the active window, with the program's own
// button texts.
class TQtDialogHandler : public TDialogHandler {
 public:
  int MessageBox(const std::string& Text, const std::string& Caption, unsigned Flags) override;
  bool FileDialog(TFileDialogParams& Dialog) override;
};
// The file filter "Name (*.a)|*.a|..." as Qt writes it ("Name (*.a);;...").
QStringList QtFilters(std::string_view Filter);

class TQtTextMeasurer : public TOrvTextMeasurer {
 public:
  explicit TQtTextMeasurer(const QFont& Font) : FFont(Font) {}
  int TextWidth(std::string_view Text) const override;
  int FontHeight() const override;

 private:
  QFont FFont;
};

// A list widget filled by the recent-file handler.
class TQtListControl : public TOrvListControl {
 public:
  explicit TQtListControl(QListWidget& List) : FList(List) {}
  void ClearItems() override { FList.clear(); }
  void AddItem(const std::string& Text, TOrvRecents_File* Data) override;
  int ClientWidth() const override;
  int ScrollBarWidth() const override;
  int TextWidth(std::string_view Text) const override;
  // The entry an item stands for (null for "[no files]").
  static TOrvRecents_File* EntryOf(const QListWidgetItem* Item);

 private:
  QListWidget& FList;
};

// Fills a Qt menu with the items of a menu model (submenus, separators, actions' captions,
// hints as status tips, check marks). A click runs the model item's OnClick.
// Alive, when given, must still be true for a click to reach the model.
void FillQMenu(QMenu& Menu, TWebMenuItem& Items,
               const std::shared_ptr<bool>& Alive = std::make_shared<bool>(true));

// The status bar pane's window.
class TQtStatusbar : public QWidget {
 public:
  TQtStatusbar(TOrvStatusbarPane& Pane, QWidget* Parent);
  ~TQtStatusbar() override;
  // Shows the pane's state.
  void Sync();
  TOrvStatusbarPane& Pane() { return FPane; }

 protected:
  void resizeEvent(QResizeEvent* Event) override;
  void showEvent(QShowEvent* Event) override;

 private:
  TOrvStatusbarPane& FPane;
  QFrame* FProgressPanel;
  QLabel* FProgressLabel;
  QProgressBar* FProgressBar;
  QFrame* FStatusPanel;
  QLabel* FStatusLabel;
  QFrame* FLogoPanel;
  QLabel* FLogoImage;
};

// The splash and about windows.
class TQtLogoWindow : public QDialog {
 public:
  TQtLogoWindow(TOrvLogoForm& Form, QWidget* Parent);
  ~TQtLogoWindow() override;
  // The form shown; null once the form was freed (the window then goes too).
  TOrvLogoForm* Form() { return FForm; }
  QTimer& Timer() { return FTimer; }

 protected:
  void mousePressEvent(QMouseEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;

 private:
  TOrvLogoForm* FForm;
  QTimer FTimer;
};

// The main window.
class TQtMainWindow : public QMainWindow {
 public:
  explicit TQtMainWindow(TOrvAppGUIForm& Form);
  ~TQtMainWindow() override;
  TOrvAppGUIForm& Form() { return FForm; }
  TQtStatusbar* Statusbar() { return FStatusbar; }
  QToolBar* Toolbar() { return FToolbar; }
  TQtLogoWindow* Splash() { return FSplash; }
  // The window's content above the status bar (the window owns it).
  void SetContent(QWidget* Content);
  // Shows the window in its start state; the form's first idle moment follows.
  void ShowStarted();
  // Command lines of later starts arrive from Instance (which must outlive the window).
  void ListenTo(TOrvSingleInstance& Instance);
  // Shows the form's menus, bars and caption again.
  void SyncAll();

 protected:
  bool event(QEvent* Event) override;
  void changeEvent(QEvent* Event) override;
  void closeEvent(QCloseEvent* Event) override;
  void dragEnterEvent(QDragEnterEvent* Event) override;
  void dropEvent(QDropEvent* Event) override;

 private:
  void SyncMenus();
  void SyncViews();
  void ShowLogo(TOrvLogoForm& Logo, bool Modal);
  void CloseSplash();
  void KeepPlacement();

  TOrvAppGUIForm& FForm;
  TQtStatusbar* FStatusbar = nullptr;
  QToolBar* FToolbar = nullptr;
  // The toolbar's buttons and the form's actions they show (null: a separator).
  std::vector<std::pair<QAction*, TOrvAction*>> FToolButtons;
  QWidget* FContent = nullptr;
  // Cleared when the menus are built again: the items of older Qt menus then do nothing.
  std::shared_ptr<bool> FMenusAlive = std::make_shared<bool>(true);
  QPointer<TQtLogoWindow> FSplash;
  QTimer FIdleTimer;
  // The first idle moment comes after the window's first activation (so that activation does
  // not close the splash it brings), or after a while when the window is never activated.
  QTimer FFirstIdleTimer;
  bool FFirstIdlePending = false;
  void FirstIdle();
  QSocketNotifier* FNotifier = nullptr;
  bool FMenusPending = false;
  bool FClosed = false;
};

}  // namespace qt
}  // namespace quin
