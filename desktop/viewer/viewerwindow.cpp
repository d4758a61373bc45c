#include "desktop/viewer/viewerwindow.h"

#include <QRegularExpression>
#include <QVBoxLayout>

namespace quin::qt {

TViewerWindow::TViewerWindow(TViewerForm& Form) : TQtMainWindow(Form), FViewer(Form) {
  auto* Content = new QWidget;
  auto* Column = new QVBoxLayout(Content);
  Column->setContentsMargins(12, 10, 12, 8);
  FTitle = new QLabel(Content);
  FTitle->setObjectName("ContentTitle");
  FTitle->setTextFormat(Qt::PlainText);
  QFont F = FTitle->font();
  F.setBold(true);
  F.setPixelSize(16);
  FTitle->setFont(F);
  Column->addWidget(FTitle);
  FStack = new QStackedWidget(Content);
  FRecents = new QListWidget(FStack);
  FRecents->setObjectName("RecentSurveys");
  FBrowser = new QTextBrowser(FStack);
  FBrowser->setObjectName("Document");
  FBrowser->setOpenLinks(false);
  FBrowser->document()->setDefaultStyleSheet(
      "table { border-collapse: collapse; } td, th { border: 1px solid #b0b0b0; padding: 2px 6px; }"
      " h3 { margin-top: 14px; }");
  FStack->addWidget(FRecents);
  FStack->addWidget(FBrowser);
  Column->addWidget(FStack, 1);
  SetContent(Content);
  // A recent survey opens with a double click or Enter.
  auto Open = [this](QListWidgetItem* Item) {
    if (TOrvRecents_File* E = TQtListControl::EntryOf(Item)) {
      bool Handled = false;
      const std::string Path = E->Path;
      FViewer.OpenFile(Path, Handled);
    }
  };
  QObject::connect(FRecents, &QListWidget::itemActivated, this, Open);
  Form.OnContentChanged = [this] { SyncContent(); };
  SyncContent();
}

TViewerWindow::~TViewerWindow() { FViewer.OnContentChanged = nullptr; }

void TViewerWindow::FillRecents() {
  if (!FViewer.Recents) return;
  TQtListControl Control(*FRecents);
  FViewer.Recents->FillListControl(Control, 0);
}

void TViewerWindow::SyncContent() {
  FTitle->setText(ToQ(FViewer.ContentTitle));
  if (FViewer.Shows == TViewerForm::TShows::Recents) {
    FillRecents();
    FStack->setCurrentWidget(FRecents);
  } else {
    // The pages write "&nbsp" without its semicolon, which browsers forgive.
    QString Html = ToQ(FViewer.ContentHtml);
    Html.replace(QRegularExpression("&nbsp(?!;)"), "&nbsp;");
    FBrowser->setHtml(Html);
    FStack->setCurrentWidget(FBrowser);
  }
}

void TViewerWindow::resizeEvent(QResizeEvent* Event) {
  TQtMainWindow::resizeEvent(Event);
  // The paths are shortened to the list's width.
  if (FViewer.Shows == TViewerForm::TShows::Recents) FillRecents();
}

}  // namespace quin::qt
