#include "app/ApplyProgressView.h"

#include <QMetaObject>
#include <QString>

#include <string>
#include <thread>

#include "app/KavrinDireZerudDlg.h"
#include "platform/sys/Tick.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowPlacement.h"
#include "skin/SkinValues.h"

namespace {
const QString kProgressSection = QStringLiteral("ApplyProgressDialog");
}  // namespace

ApplyProgressView::ApplyProgressView(CKavrinDireZerudDlg& window) : window_(window) {
  timer_.setSingleShot(true);
  timer_.setObjectName(QStringLiteral("ApplyProgressPace"));  // each of its wake-ups is a step
  QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Pace(); });
}

ApplyProgressView::~ApplyProgressView() = default;

void ApplyProgressView::EnableButton(settings::ApplyButton button, bool enabled) {
  window_.DialogButton(button).setEnabled(enabled);
}

settings::ScreenRect ApplyProgressView::ProgressRect() {
  const QRect r = skin::ReadRect(window_.SkinFile(), kProgressSection, u"InMainWindowsRect");
  const QPoint topLeft = window_.mapToGlobal(r.topLeft());
  return {topLeft.x(), topLeft.y(), topLeft.x() + r.width(), topLeft.y() + r.height()};
}

bool ApplyProgressView::StartProgress(const settings::ScreenRect& rect) {
  // The display reads the skin file on its own, as a window of its own would.
  const QString folder = QString::fromStdString(window_.ProgramFolder());
  if (skinFile_.SetFile((folder + QStringLiteral("/Setup.ini")).toStdU16String()) != 1) return false;

  dialog_ = std::make_unique<CProgressDlg>(skinFile_, folder, kProgressSection, nullptr);
  // Above the main window, without a taskbar entry of its own.
  dialog_->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
  dialog_->Create();
  dialog_->setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  ui::ShowWindow(dialog_.get(), ui::SW_SHOWNORMAL);
  dialog_->raise();
  dialog_->activateWindow();
  dialog_->ProgressBar().SetRange(settings::ApplyProgressPacer::kRangeMin,
                                  settings::ApplyProgressPacer::kRangeMax);
  pacer_.emplace(sys::GetTickCount());
  Pace();
  return true;
}

void ApplyProgressView::Pace() {
  if (!pacer_ || !dialog_) return;
  const uint32_t now = sys::GetTickCount();
  dialog_->ProgressBar().SetPos(pacer_->Position(now));
  if (pacer_->Closed(now)) {
    timer_.stop();
    dialog_.reset();
    pacer_.reset();
    if (waiting_) waiting_->quit();
    return;
  }
  // Until Apply is done the bar waits at its last paced step without waking up.
  if (const std::optional<uint32_t> next = pacer_->NextChangeIn(now)) {
    timer_.start(static_cast<int>(*next));
  } else {
    timer_.stop();
  }
}

void ApplyProgressView::RunDeviceWork(const std::function<void()>& work) {
  QEventLoop loop;
  std::thread worker([&] {
    work();
    // Queued, so that the loop ends also when the work is done before it starts running.
    QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
  });
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  worker.join();
}

void ApplyProgressView::ProgressDone() {
  if (!pacer_) return;
  pacer_->Finish(sys::GetTickCount());
  Pace();
}

void ApplyProgressView::WaitForProgress() {
  if (!pacer_) return;
  QEventLoop loop;
  waiting_ = &loop;
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  waiting_ = nullptr;
}

void ApplyProgressView::ShowMessage(std::u16string_view text) {
  ui::MessageBox(&window_, QString::fromStdU16String(std::u16string(text)));
}

void ApplyProgressView::BringToFront() { window_.BringToFront(); }
