// The viewer's main window: the framework's main window with the content area that shows the
// recent surveys, a survey's summary or a report's tables.
#pragma once

#include <QLabel>
#include <QListWidget>
#include <QStackedWidget>
#include <QTextBrowser>

#include "desktop/qt/qtforms.h"
#include "desktop/viewer/viewerform.h"

namespace quin::qt {

class TViewerWindow : public TQtMainWindow {
 public:
  explicit TViewerWindow(TViewerForm& Form);
  ~TViewerWindow() override;
  QListWidget* RecentList() { return FRecents; }
  QTextBrowser* Browser() { return FBrowser; }
  // Shows the form's content.
  void SyncContent();

 protected:
  void resizeEvent(QResizeEvent* Event) override;

 private:
  void FillRecents();
  TViewerForm& FViewer;
  QLabel* FTitle;
  QStackedWidget* FStack;
  QListWidget* FRecents;
  QTextBrowser* FBrowser;
};

}  // namespace quin::qt
