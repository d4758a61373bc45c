#include "desktop/qt/qtforms.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSocketNotifier>
#include <QStatusTipEvent>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include "base/langmanager.h"
#include "base/orvstrings.h"
#include "base/text.h"
#include "desktop/orvdeskapp.h"
#include "desktop/orvinstance.h"

namespace quin::qt {

// ---- texts

QString ToQ(std::string_view Text) {
  const std::string U = Cp1250ToUtf8(Text);
  return QString::fromUtf8(U.data(), static_cast<qsizetype>(U.size()));
}

std::string FromQ(const QString& Text) {
  const QByteArray U = Text.toUtf8();
  return Cp1250(std::string_view(U.constData(), static_cast<size_t>(U.size())));
}

QString PathToQ(std::string_view Path) {
  return QFile::decodeName(QByteArray(Path.data(), static_cast<qsizetype>(Path.size())));
}

std::string PathFromQ(const QString& Path) {
  const QByteArray B = QFile::encodeName(Path);
  return std::string(B.constData(), static_cast<size_t>(B.size()));
}

QString ToolTipOf(std::string_view Hint) { return ToQ(Hint.substr(0, Hint.find('|'))); }

QColor ToQColor(TColor Color, const QWidget& Widget) {
  switch (Color) {
    case clWindowText:
      return Widget.palette().color(QPalette::WindowText);
    case clWindow:
      return Widget.palette().color(QPalette::Base);
    case clBtnFace:
      return Widget.palette().color(QPalette::Button);
    default: {
      const TColor C = ColorToRGB(Color);
      return QColor(ColorRed(C), ColorGreen(C), ColorBlue(C));
    }
  }
}

QPixmap LogoPixmap(int Size) {
  QPixmap P(Size, Size);
  P.fill(Qt::transparent);
  QPainter G(&P);
  G.setRenderHint(QPainter::Antialiasing);
  G.setBrush(QColor(0x1F, 0x4E, 0x9A));
  G.setPen(Qt::NoPen);
  G.drawRoundedRect(QRectF(0, 0, Size, Size), Size / 5.0, Size / 5.0);
  QFont F("DejaVu Sans");
  F.setBold(true);
  F.setPixelSize(Size * 3 / 4);
  G.setFont(F);
  G.setPen(Qt::white);
  G.drawText(QRect(0, 0, Size, Size), Qt::AlignCenter, "Q");
  return P;
}

// ---- dialogs

namespace {

struct TButtonSpec {
  int Id;
  const char* Text;
  QMessageBox::ButtonRole Role;
};

std::vector<TButtonSpec> ButtonsOf(unsigned Flags) {
  const TButtonSpec Ok{IDOK, "OK", QMessageBox::AcceptRole};
  const TButtonSpec Cancel{IDCANCEL, "<PLK>Anuluj<ENU>Cancel", QMessageBox::RejectRole};
  const TButtonSpec Yes{IDYES, "<PLK>&Tak<ENU>&Yes", QMessageBox::YesRole};
  const TButtonSpec No{IDNO, "<PLK>&Nie<ENU>&No", QMessageBox::NoRole};
  const TButtonSpec Abort{IDABORT, "<PLK>&Przerwij<ENU>&Abort", QMessageBox::RejectRole};
  const TButtonSpec Retry{IDRETRY, "<PLK>P&onów<ENU>&Retry", QMessageBox::AcceptRole};
  const TButtonSpec Ignore{IDIGNORE, "<PLK>&Ignoruj<ENU>&Ignore", QMessageBox::AcceptRole};
  switch (Flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {Ok, Cancel};
    case MB_ABORTRETRYIGNORE:
      return {Abort, Retry, Ignore};
    case MB_YESNOCANCEL:
      return {Yes, No, Cancel};
    case MB_YESNO:
      return {Yes, No};
    case MB_RETRYCANCEL:
      return {Retry, Cancel};
    default:
      return {Ok};
  }
}

QMessageBox::Icon IconOf(unsigned Flags) {
  switch (Flags & 0xF0) {
    case MB_ICONHAND:
      return QMessageBox::Critical;
    case MB_ICONQUESTION:
      return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
      return QMessageBox::Warning;
    case MB_ICONASTERISK:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

// A line break of the program (CR LF) as Qt shows it.
QString Lines(std::string_view Text) { return ToQ(Text).replace("\r\n", "\n"); }

}  // namespace

int TQtDialogHandler::MessageBox(const std::string& Text, const std::string& Caption,
                                 unsigned Flags) {
  QMessageBox Box(IconOf(Flags), Lines(Caption), Lines(Text), QMessageBox::NoButton,
                  QApplication::activeWindow());
  std::vector<std::pair<QAbstractButton*, int>> Buttons;
  for (const TButtonSpec& B : ButtonsOf(Flags))
    Buttons.emplace_back(Box.addButton(ToQ(TranslateLiteral(B.Text)), B.Role), B.Id);
  Box.setDefaultButton(static_cast<QPushButton*>(Buttons.front().first));
  Box.setEscapeButton(Buttons.back().first);
  Box.exec();
  for (const auto& [Button, Id] : Buttons)
    if (Box.clickedButton() == Button) return Id;
  return Buttons.back().second;  // closed otherwise: the last (refusing) button
}

QStringList QtFilters(std::string_view Filter) {
  QStringList Result;
  const QStringList Parts = ToQ(Filter).split('|');
  for (qsizetype I = 0; I + 1 < Parts.size(); I += 2) {
    QString Masks = Parts[I + 1];
    Masks.replace(';', ' ').replace("*.*", "*");
    QString Name = Parts[I];
    // The name shows its masks already: Qt takes the patterns from its parenthesis.
    const qsizetype Paren = Name.lastIndexOf(" (");
    if (Paren >= 0) Name.truncate(Paren);
    Result << Name + " (" + Masks + ")";
  }
  return Result;
}

bool TQtDialogHandler::FileDialog(TFileDialogParams& D) {
  QFileDialog Dialog(QApplication::activeWindow(), ToQ(D.Title), PathToQ(D.InitialDir));
  Dialog.setOption(QFileDialog::DontUseNativeDialog);
  const QStringList Filters = QtFilters(D.Filter);
  if (!Filters.isEmpty()) {
    Dialog.setNameFilters(Filters);
    if (D.FilterIndex >= 1 && D.FilterIndex <= Filters.size())
      Dialog.selectNameFilter(Filters[D.FilterIndex - 1]);
  }
  if (D.Kind == FileDialogSave) {
    Dialog.setAcceptMode(QFileDialog::AcceptSave);
    Dialog.setFileMode(QFileDialog::AnyFile);
    Dialog.setOption(QFileDialog::DontConfirmOverwrite, !(D.Options & ofOverwritePrompt));
  } else {
    Dialog.setFileMode((D.Options & ofAllowMultiSelect) ? QFileDialog::ExistingFiles
                                                        : QFileDialog::ExistingFile);
  }
  if (!D.FileName.empty()) Dialog.selectFile(PathToQ(D.FileName));
  if (Dialog.exec() != QDialog::Accepted) return false;
  const QStringList Chosen = Dialog.selectedFiles();
  if (Chosen.isEmpty()) return false;
  D.Files.clear();
  for (const QString& F : Chosen) D.Files.push_back(PathFromQ(F));
  D.FileName = D.Files.front();
  const qsizetype Index = Filters.indexOf(Dialog.selectedNameFilter());
  if (Index >= 0) D.FilterIndex = static_cast<int>(Index) + 1;
  return true;
}

// ---- measuring and list controls

int TQtTextMeasurer::TextWidth(std::string_view Text) const {
  return QFontMetrics(FFont).horizontalAdvance(ToQ(Text));
}

int TQtTextMeasurer::FontHeight() const { return QFontMetrics(FFont).height(); }

void TQtListControl::AddItem(const std::string& Text, TOrvRecents_File* Data) {
  auto* Item = new QListWidgetItem(ToQ(Text), &FList);
  Item->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(Data)));
  if (!Data) Item->setFlags(Qt::NoItemFlags);
  if (Data) Item->setToolTip(ToQ(FileNameText(Data->Path)));
}

int TQtListControl::ClientWidth() const { return FList.viewport()->width(); }

int TQtListControl::ScrollBarWidth() const {
  return FList.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &FList);
}

int TQtListControl::TextWidth(std::string_view Text) const {
  return FList.fontMetrics().horizontalAdvance(ToQ(Text));
}

TOrvRecents_File* TQtListControl::EntryOf(const QListWidgetItem* Item) {
  return Item ? static_cast<TOrvRecents_File*>(Item->data(Qt::UserRole).value<void*>()) : nullptr;
}

// ---- menus

void FillQMenu(QMenu& Menu, TWebMenuItem& Items, const std::shared_ptr<bool>& Alive) {
  for (const auto& P : Items.Items()) {
    TWebMenuItem* Item = P.get();
    if (!ShownVisible(*Item)) continue;
    if (Item->Caption == "-") {
      Menu.addSeparator();
      continue;
    }
    const auto* O = As<TOrvMenuItem>(Item);
    const TOrvAction* A = O ? O->Action : nullptr;
    const QString Caption = ToQ(Item->Caption.empty() && A ? A->Caption : Item->Caption);
    if (Item->Count() > 0) {
      QMenu* Sub = Menu.addMenu(Caption);
      Sub->setEnabled(ShownEnabled(*Item));
      FillQMenu(*Sub, *Item, Alive);
      continue;
    }
    QAction* Q = Menu.addAction(Caption);
    Q->setEnabled(ShownEnabled(*Item));
    Q->setStatusTip(ToQ(ShownHint(*Item)));
    if (A && A->Checkable) {
      Q->setCheckable(true);
      Q->setChecked(A->Checked);
    }
    QObject::connect(Q, &QAction::triggered, Q, [Item, Alive] {
      if (*Alive && Item->OnClick) Item->OnClick(*Item);
    });
  }
}

// ---- the status bar

TQtStatusbar::TQtStatusbar(TOrvStatusbarPane& Pane, QWidget* Parent)
    : QWidget(Parent), FPane(Pane) {
  setObjectName("Statusbar");
  auto Panel = [this](const char* Name, int Border) {
    auto* F = new QFrame(this);
    F->setObjectName(Name);
    F->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    F->setLineWidth(Border);
    return F;
  };
  FProgressPanel = Panel("ProgressPanel", Pane.ProgressPanel->BorderWidth);
  FProgressLabel = new QLabel(FProgressPanel);
  FProgressBar = new QProgressBar(FProgressPanel);
  FProgressBar->setTextVisible(false);
  FStatusPanel = Panel("StatusPanel", Pane.StatusPanel->BorderWidth);
  FStatusLabel = new QLabel(FStatusPanel);
  FLogoPanel = new QFrame(this);
  FLogoImage = new QLabel(FLogoPanel);
  for (QLabel* L : {FProgressLabel, FStatusLabel}) L->setTextFormat(Qt::PlainText);
  const QPixmap Logo = LogoPixmap(16);
  FLogoImage->setPixmap(Logo);
  Pane.LogoImage->Width = Logo.width();
  Pane.LogoImage->Height = Logo.height();
  Pane.SetMeasurer(std::make_shared<TQtTextMeasurer>(FStatusLabel->font()));
  Pane.OnRepaint = [this] {
    Sync();
    repaint();
  };
  Pane.ArrangeLogo();
  Sync();
}

TQtStatusbar::~TQtStatusbar() { FPane.OnRepaint = nullptr; }

void TQtStatusbar::resizeEvent(QResizeEvent* Event) {
  QWidget::resizeEvent(Event);
  FPane.Resize(width());
  Sync();
}

void TQtStatusbar::showEvent(QShowEvent* Event) {
  QWidget::showEvent(Event);
  FPane.ArrangeLogo();
  Sync();
}

void TQtStatusbar::Sync() {
  setFixedHeight(FPane.Height);
  auto Place = [](QWidget* W, const TOrvControl& C) {
    W->setGeometry(C.Left, C.Top, C.Width, C.Height);
  };
  Place(FProgressPanel, *FPane.ProgressPanel);
  Place(FStatusPanel, *FPane.StatusPanel);
  Place(FLogoPanel, *FPane.LogoPanel);
  FLogoImage->setGeometry(FPane.LogoImage->Left, FPane.LogoImage->Top, FPane.LogoImage->Width,
                          FPane.LogoImage->Height);
  auto Label = [this](QLabel* L, const TOrvLabel& M, const TOrvPanel& Panel) {
    const int Inset = Panel.BorderWidth + 1;
    const int H = FPane.Measurer().FontHeight();
    L->setGeometry(Inset, (Panel.Height - H) / 2, std::max(Panel.Width - 2 * Inset, 0), H);
    L->setText(ToQ(M.Text));
    L->setToolTip(ToolTipOf(M.Hint));
    QPalette P = L->palette();
    P.setColor(QPalette::WindowText, ToQColor(M.FontColor, *this));
    L->setPalette(P);
  };
  Label(FStatusLabel, *FPane.StatusLabel, *FPane.StatusPanel);
  Label(FProgressLabel, *FPane.ProgressLabel, *FPane.ProgressPanel);
  const TOrvProgressBar& Bar = *FPane.ProgressBar;
  const int Inset = FPane.ProgressPanel->BorderWidth + 1;
  FProgressBar->setGeometry(Inset, Inset, std::max(FPane.ProgressPanel->Width - 2 * Inset, 0),
                            std::max(FPane.ProgressPanel->Height - 2 * Inset, 0));
  FProgressBar->setRange(Bar.Min, Bar.Max);
  FProgressBar->setValue(Bar.Position);
  FProgressBar->setVisible(Bar.Visible);
  FProgressLabel->setVisible(!Bar.Visible);
}

// ---- the logo windows

TQtLogoWindow::TQtLogoWindow(TOrvLogoForm& Form, QWidget* Parent)
    : QDialog(Parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          (Form.AutoClose ? Qt::SplashScreen : Qt::Dialog)),
      FForm(&Form) {
  setObjectName(Form.AutoClose ? "Splash" : "About");
  if (Form.AutoClose) setAttribute(Qt::WA_ShowWithoutActivating);
  QPalette Blue = palette();
  Blue.setColor(QPalette::Window, QColor(0x1F, 0x4E, 0x9A));
  Blue.setColor(QPalette::WindowText, Qt::white);
  setPalette(Blue);
  setAutoFillBackground(true);
  auto* Layout = new QVBoxLayout(this);
  Layout->setContentsMargins(24, 20, 24, 16);
  auto* Head = new QHBoxLayout;
  auto* Logo = new QLabel(this);
  Logo->setPixmap(LogoPixmap(56));
  Head->addWidget(Logo, 0, Qt::AlignTop);
  Head->addSpacing(14);
  auto* Names = new QVBoxLayout;
  Head->addLayout(Names, 1);
  Layout->addLayout(Head);
  auto AddLabel = [this](QBoxLayout* To, const TOrvLabel* M, int PixelSize, bool Bold) {
    auto* L = new QLabel(ToQ(M->Text), this);
    L->setObjectName(ToQ(M->Name));
    L->setTextFormat(Qt::PlainText);
    QFont F = L->font();
    F.setPixelSize(PixelSize);
    F.setBold(Bold);
    L->setFont(F);
    To->addWidget(L);
    return L;
  };
  if (auto* B = As<TOrvLogoBlueForm>(&Form)) {
    AddLabel(Names, B->SystemNameLabel, 13, false);
    AddLabel(Names, B->ProductNameLabel, 24, true);
    AddLabel(Names, B->ProductVersionAndDateLabel, 12, false);
    Layout->addSpacing(18);
    AddLabel(Layout, B->CompanyNameLabel, 13, true);
    AddLabel(Layout, B->LegalNoticeLabel, 12, false);
    AddLabel(Layout, B->AllRightsReservedLabel, 12, false);
    Layout->addSpacing(8);
    auto Link = [&](const TOrvLabel* M, const char* Scheme, void (TOrvLogoBlueForm::*Click)()) {
      auto* L = new QLabel(this);
      L->setObjectName(ToQ(M->Name));
      L->setText(QString("<a style=\"color:#cfe3ff\" href=\"%1%2\">%2</a>")
                     .arg(Scheme, ToQ(M->Text).toHtmlEscaped()));
      L->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
      QObject::connect(L, &QLabel::linkActivated, this, [this, Click] {
        if (auto* Blue = As<TOrvLogoBlueForm>(FForm)) (Blue->*Click)();
      });
      L->setVisible(!M->Text.empty());
      Layout->addWidget(L);
    };
    Link(B->MailtoLabel, "mailto:", &TOrvLogoBlueForm::MailtoClick);
    Link(B->HTTPLabel, "http://", &TOrvLogoBlueForm::HTTPClick);
    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch(1);
    auto* Finish = new QPushButton(ToQ(B->FinishButton->Text), this);
    Finish->setObjectName("FinishButton");
    Finish->setVisible(B->FinishButton->Visible);
    Finish->setPalette(QApplication::palette());
    QObject::connect(Finish, &QPushButton::clicked, this, [this] {
      if (FForm) FForm->Close();
    });
    Buttons->addWidget(Finish);
    Layout->addLayout(Buttons);
  }
  setFixedSize(sizeHint().expandedTo(QSize(440, 0)));
  if (QScreen* S = screen()) move(S->availableGeometry().center() - rect().center());
  Form.OnClose = [this] {
    FTimer.stop();
    if (isModal())
      done(0);
    else
      close();
  };
  Form.OnFree = [this] {
    FForm = nullptr;
    FTimer.stop();
    hide();
    deleteLater();
  };
  FTimer.setInterval(TOrvLogoForm::TimerInterval);
  QObject::connect(&FTimer, &QTimer::timeout, this, [this] {
    if (FForm) FForm->TimerTick();
  });
  if (Form.TimerEnabled) FTimer.start();
}

TQtLogoWindow::~TQtLogoWindow() {
  if (FForm) {
    FForm->OnClose = nullptr;
    FForm->OnFree = nullptr;
  }
}

void TQtLogoWindow::mousePressEvent(QMouseEvent* Event) {
  // A press on a link is the link's (it opens on release).
  if (auto* L = qobject_cast<QLabel*>(childAt(Event->position().toPoint()));
      L && L->textInteractionFlags() & Qt::LinksAccessibleByMouse) {
    QDialog::mousePressEvent(Event);
    return;
  }
  if (FForm) FForm->Click();
  Event->accept();
}

void TQtLogoWindow::keyPressEvent(QKeyEvent* Event) {
  if (FForm) FForm->KeyPress();
  Event->accept();
}

// ---- the main window

TQtMainWindow::TQtMainWindow(TOrvAppGUIForm& Form) : FForm(Form) {
  setObjectName("MainWindow");
  setWindowIcon(QIcon(LogoPixmap(64)));
  FToolbar = addToolBar("Toolbar");
  FToolbar->setObjectName("Toolbar");
  FToolbar->setMovable(false);
  FToolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  // The content above the status bar pane, both in the window's central area.
  auto* Central = new QWidget(this);
  auto* Column = new QVBoxLayout(Central);
  Column->setContentsMargins(0, 0, 0, 0);
  Column->setSpacing(0);
  FContent = new QWidget(Central);
  Column->addWidget(FContent, 1);
  if (Form.StatusBar) {
    FStatusbar = new TQtStatusbar(*Form.StatusBar, Central);
    Column->addWidget(FStatusbar);
  }
  setCentralWidget(Central);
  Form.OnMenusChanged = [this] {
    if (FMenusPending) return;
    FMenusPending = true;
    // Later: the click that changed the menus may still be running in them.
    QTimer::singleShot(0, this, [this] {
      FMenusPending = false;
      FForm.UpdateMenus();
      SyncMenus();
    });
  };
  Form.OnViewsChanged = [this] { SyncViews(); };
  Form.OnShowLogo = [this](TOrvLogoForm& Logo, bool Modal) { ShowLogo(Logo, Modal); };
  Form.OnCloseRequest = [this] { close(); };
  Form.OnBringToFront = [this] {
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
  };
  setAcceptDrops(Form.AcceptsDroppedFiles());
  // Between the moments the window is told of, idle moments come from this timer: "Ready"
  // comes back once a held message has had its time.
  FIdleTimer.setInterval(500);
  QObject::connect(&FIdleTimer, &QTimer::timeout, this, [this] { FForm.UpdateStatusHint(); });
  FFirstIdleTimer.setSingleShot(true);
  FFirstIdleTimer.setInterval(500);
  QObject::connect(&FFirstIdleTimer, &QTimer::timeout, this, [this] { FirstIdle(); });
  SyncAll();
}

TQtMainWindow::~TQtMainWindow() {
  CloseSplash();
  FForm.OnMenusChanged = nullptr;
  FForm.OnViewsChanged = nullptr;
  FForm.OnShowLogo = nullptr;
  FForm.OnCloseRequest = nullptr;
  FForm.OnBringToFront = nullptr;
}

void TQtMainWindow::SetContent(QWidget* Content) {
  auto* Column = static_cast<QVBoxLayout*>(centralWidget()->layout());
  delete Column->replaceWidget(FContent, Content);
  delete FContent;
  FContent = Content;
  Column->setStretchFactor(Content, 1);
}

void TQtMainWindow::SyncAll() {
  FForm.UpdateMenus();
  SyncMenus();
  SyncViews();
}

void TQtMainWindow::SyncMenus() {
  // The old menus may be the ones whose click led here: they go later, and do nothing more.
  *FMenusAlive = false;
  FMenusAlive = std::make_shared<bool>(true);
  QMenuBar* Bar = menuBar();
  Bar->clear();
  for (QMenu* Old : Bar->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) Old->deleteLater();
  if (FForm.MainMenu) {
    for (const auto& Top : FForm.MainMenu->Items.Items()) {
      if (!ShownVisible(*Top)) continue;
      QMenu* M = Bar->addMenu(ToQ(Top->Caption));
      M->setObjectName(ToQ(Top->Name));
      M->setEnabled(ShownEnabled(*Top));
      M->menuAction()->setStatusTip(ToQ(ShownHint(*Top)));
      FillQMenu(*M, *Top, FMenusAlive);
    }
  }
  // The toolbar's buttons stay; they show their actions' state again.
  const std::vector<TOrvAction*> Buttons =
      FForm.Toolbar ? FForm.Toolbar->Buttons : std::vector<TOrvAction*>();
  bool Same = Buttons.size() == FToolButtons.size();
  for (size_t I = 0; Same && I < Buttons.size(); ++I) Same = FToolButtons[I].second == Buttons[I];
  if (!Same) {
    FToolbar->clear();
    FToolButtons.clear();
    for (TOrvAction* A : Buttons) {
      QAction* Q = A ? FToolbar->addAction(QString()) : FToolbar->addSeparator();
      if (A) QObject::connect(Q, &QAction::triggered, Q, [A] { A->Execute(); });
      FToolButtons.emplace_back(Q, A);
    }
  }
  for (const auto& [Q, A] : FToolButtons) {
    if (!A) continue;
    QString Text = ToQ(TrimChar(A->Caption, ' '));
    if (Text.endsWith("...")) Text.chop(3);
    Q->setText(Text);
    Q->setToolTip(ToolTipOf(A->Hint));
    Q->setStatusTip(ToQ(A->Hint));
    Q->setVisible(A->Visible);
    Q->setEnabled(A->Enabled);
  }
}

void TQtMainWindow::SyncViews() {
  setWindowTitle(ToQ(FForm.Caption));
  if (TOrvDesktopApp* App = DesktopApp()) QApplication::setApplicationDisplayName(ToQ(App->Title));
  FToolbar->setVisible(FForm.Toolbar && FForm.Toolbar->Visible);
  if (FStatusbar) FStatusbar->setVisible(FForm.StatusBar->Visible);
  SyncMenus();
}

void TQtMainWindow::ShowStarted() {
  setGeometry(FForm.WindowLeft, FForm.WindowTop, FForm.WindowWidth, FForm.WindowHeight);
  KeepPlacement();
  if (FForm.Shown() == TOrvWindowState::Maximized)
    showMaximized();
  else
    show();
  FIdleTimer.start();
  FFirstIdlePending = true;
  FFirstIdleTimer.start();
}

void TQtMainWindow::FirstIdle() {
  if (!FFirstIdlePending) return;
  FFirstIdlePending = false;
  FFirstIdleTimer.stop();
  // The first idle moment: the splash, the changes question, the command line's files.
  QTimer::singleShot(0, this, [this] { FForm.ApplicationIdle(); });
}

void TQtMainWindow::KeepPlacement() {
  const QScreen* S = screen();
  if (!S) return;
  const QRect Avail = S->availableGeometry();
  QRect R = geometry();
  if (R.width() > Avail.width()) R.setWidth(Avail.width());
  if (R.height() > Avail.height()) R.setHeight(Avail.height());
  if (!Avail.intersects(R)) R.moveTopLeft(Avail.topLeft());
  setGeometry(R);
}

void TQtMainWindow::ListenTo(TOrvSingleInstance& Instance) {
  if (Instance.ListenFd() < 0) return;
  FNotifier = new QSocketNotifier(Instance.ListenFd(), QSocketNotifier::Read, this);
  QObject::connect(FNotifier, &QSocketNotifier::activated, this, [this, &Instance] {
    for (const auto& Args : Instance.ReceivePending()) FForm.ReceiveCommandLine(Args);
  });
}

bool TQtMainWindow::event(QEvent* Event) {
  if (Event->type() == QEvent::StatusTip) {
    if (TOrvDesktopApp* App = DesktopApp()) {
      App->Hint = FromQ(static_cast<QStatusTipEvent*>(Event)->tip());
      FForm.UpdateStatusHint();
    }
    return true;
  }
  if (Event->type() == QEvent::WindowActivate) {
    FForm.Activated();
    FirstIdle();
  }
  return QMainWindow::event(Event);
}

void TQtMainWindow::changeEvent(QEvent* Event) {
  QMainWindow::changeEvent(Event);
  if (Event->type() == QEvent::WindowStateChange) FForm.Maximized = isMaximized();
}

void TQtMainWindow::closeEvent(QCloseEvent* Event) {
  if (!FClosed) {
    FClosed = true;
    FIdleTimer.stop();
    CloseSplash();
    const QRect R = normalGeometry().isValid() ? normalGeometry() : geometry();
    FForm.WindowLeft = R.x();
    FForm.WindowTop = R.y();
    FForm.WindowWidth = R.width();
    FForm.WindowHeight = R.height();
    FForm.Maximized = isMaximized();
    FForm.Destroying();
  }
  Event->accept();
}

void TQtMainWindow::dragEnterEvent(QDragEnterEvent* Event) {
  if (FForm.AcceptsDroppedFiles() && Event->mimeData()->hasUrls()) Event->acceptProposedAction();
}

void TQtMainWindow::dropEvent(QDropEvent* Event) {
  std::vector<std::string> Files;
  for (const QUrl& U : Event->mimeData()->urls())
    if (U.isLocalFile()) Files.push_back(PathFromQ(U.toLocalFile()));
  Event->acceptProposedAction();
  FForm.DropFiles(Files);
}

void TQtMainWindow::CloseSplash() { delete FSplash.data(); }

void TQtMainWindow::ShowLogo(TOrvLogoForm& Logo, bool Modal) {
  // A splash still up belonged to the logo form the main form has just replaced.
  CloseSplash();
  if (Modal) {
    TQtLogoWindow About(Logo, this);
    About.setModal(true);
    About.exec();
    return;
  }
  auto* Splash = new TQtLogoWindow(Logo, this);
  FSplash = Splash;
  Logo.OnClose = [this, Splash, L = &Logo] {
    Splash->Timer().stop();
    Splash->hide();
    // The form frees the logo later (its window with it), when it is still this one.
    QTimer::singleShot(0, this, [this, L] {
      if (FForm.LogoWindow.get() == L) FForm.FreeLogo();
    });
  };
  Splash->show();
}

}  // namespace quin::qt
