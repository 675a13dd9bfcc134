#include "skin/PageDialog.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "platform/ui/CaptionDrag.h"
#include "platform/ui/ImageFile.h"
#include "platform/ui/Region.h"
#include "platform/ui/WindowPlacement.h"
#include "skin/SkinValues.h"

CPageDialog::CPageDialog(Kind kind, const CINIFile& skinFile, const QString& imageFolder,
                         const QString& section, QWidget* parent)
    : QDialog(parent), kind_(kind), imageFolder_(imageFolder), section_(section) {
  // The copy shares the file path only; nothing else of the reader is carried over.
  skinFile_.SetFile(skinFile.GetFile());
  if (kind_ == Kind::Page) {
    setWindowFlags(Qt::Widget);
    hide();  // a page stays hidden with its parent until LoadSkin or its owner shows it
  } else {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  }
}

CPageDialog::~CPageDialog() = default;

void CPageDialog::Create() {
  if (initialised_) return;
  initialised_ = true;
  initialising_ = true;
  OnInitDialog();
  initialising_ = false;
  normalSheet_.reset();
  if (showWhenInitialised_) {
    showWhenInitialised_ = false;
    ui::ShowWindow(this, ui::SW_SHOWNORMAL);
  }
}

int CPageDialog::DoModal() {
  Create();
  return exec();
}

bool CPageDialog::OnInitDialog() {
  LoadSkin();
  return true;
}

bool CPageDialog::LoadSkin() {
  const QRect place = ReadSkinRect(u"WindowsRect");
  setGeometry(place.x(), place.y(), qMax(0, place.width()), qMax(0, place.height()));

  const QImage sheet = LoadSkinImage(u"NormalImage");
  normalSheet_ = sheet;
  if (sheet.isNull()) return false;

  // A page keeps its background as long as the program runs: in three bytes a pixel. A dialog's
  // lives while the dialog is open, and is painted from faster in four.
  QImage background = ui::CopyBlockOpaque(sheet, place);
  if (kind_ == Kind::Page) background = ui::KeptOpaque(std::move(background));
  SetBackgroundBrush(background.isNull() ? QBrush() : QBrush(background));

  // A mask that does not load leaves the window rectangular.
  const QImage mask = LoadSkinImage(u"BackGroundMaskImage");
  if (!mask.isNull()) setMask(ui::CreateRegionFromBitmap(mask));

  SetPageVisible(ReadSkinInt(u"Visable") > 0);
  // Within Create the window shows once its controls exist: a control shown in a window on the
  // screen makes Qt ask the X server where the pointer is, each one.
  if (initialising_) {
    showWhenInitialised_ = true;
  } else {
    ui::ShowWindow(this, ui::SW_SHOWNORMAL);
  }
  return true;
}

void CPageDialog::ShowPage(int showCommand) {
  if (visible_) {
    ui::ShowWindow(this, showCommand);
  } else {
    hide();
  }
}

ui::LRESULT CPageDialog::WindowProc(uint32_t msg, ui::WPARAM wParam, ui::LPARAM lParam) {
  if (msg == ui::WM_COMMAND) return OnCommand(wParam, lParam) ? 1 : 0;
  if (msg == ui::WM_NCLBUTTONDOWN && wParam == ui::HTCAPTION) {
    ui::BeginCaptionDrag(this, lastPressGlobal_);
  }
  return 0;
}

bool CPageDialog::OnCommand(ui::WPARAM, ui::LPARAM) { return false; }

void CPageDialog::OnOK() { done(ui::IDOK); }

void CPageDialog::OnCancel() { done(ui::IDCANCEL); }

void CPageDialog::OnLButtonDown(ui::WPARAM flags, const QPoint& point) {
  ui::PostMessage(parentWidget(), ui::WM_LBUTTONDOWN, flags, ui::MakeLParam(point.x(), point.y()));
}

QImage CPageDialog::TakeNormalSheet() {
  if (!normalSheet_) return LoadSkinImage(u"NormalImage");
  QImage sheet = *std::move(normalSheet_);
  normalSheet_.reset();
  return sheet;
}

QRect CPageDialog::ReadSkinRect(std::u16string_view key) const {
  return skin::ReadRect(skinFile_, section_, key);
}

int CPageDialog::ReadSkinInt(std::u16string_view key) const {
  return skin::ReadInt(skinFile_, section_, key);
}

QImage CPageDialog::LoadSkinImage(std::u16string_view key) const {
  return skin::LoadSkinImage(imageFolder_, skinFile_, section_, key);
}

void CPageDialog::SetBackgroundBrush(const QBrush& brush) {
  backgroundBrush_ = brush;
  update();
}

bool CPageDialog::event(QEvent* event) {
  if (ui::WindowMessageEvent* message = ui::AsWindowMessage(event)) {
    message->SetResult(WindowProc(message->Msg(), message->WParam(), message->LParam()));
    return true;
  }
  return QDialog::event(event);
}

void CPageDialog::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // The brush's pattern starts at the window's top-left corner.
  painter.fillRect(rect(), backgroundBrush_.style() == Qt::NoBrush ? palette().window()
                                                                   : backgroundBrush_);
}

void CPageDialog::mousePressEvent(QMouseEvent* event) {
  // Mouse input on a window stays with it; the parent hears of a press only through
  // the message posted below.
  event->accept();
  if (event->button() != Qt::LeftButton) return;
  lastPressGlobal_ = event->globalPosition().toPoint();
  OnLButtonDown(ui::MouseKeyFlags(event->buttons(), event->modifiers()),
                event->position().toPoint());
}

void CPageDialog::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }

void CPageDialog::mouseDoubleClickEvent(QMouseEvent* event) { event->accept(); }

void CPageDialog::keyPressEvent(QKeyEvent* event) {
  event->accept();
  if (event->key() == Qt::Key_F1) return;  // no help
  if (kind_ == Kind::Page) return;         // a page is never closed by a key
  switch (event->key()) {
    case Qt::Key_Escape:
      OnCancel();
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      OnOK();
      break;
    default:
      event->ignore();
      QDialog::keyPressEvent(event);
      break;
  }
}

void CPageDialog::reject() {
  // Escape and the window manager's close button end the dialog as Cancel does.
  if (kind_ == Kind::Dialog) OnCancel();
}
