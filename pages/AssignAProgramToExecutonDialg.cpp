#include "pages/AssignAProgramToExecutonDialg.h"

#include <optional>

#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"

CAssignAProgramToExecutonDialg::CAssignAProgramToExecutonDialg(const CINIFile& skinFile,
                                                               const QString& imageFolder,
                                                               const QString& section,
                                                               const QString& path,
                                                               QWidget* parent)
    : CProfileDlg(skinFile, imageFolder, section, parent), path_(path) {
  // Every change of the edit, typed or set, becomes the path: the edit's text as bounded, not
  // the signal's argument, which may be the typed text before the bound cut it.
  connect(&edit_, &QLineEdit::textChanged, this, [this] { path_ = edit_.text(); });
}

CAssignAProgramToExecutonDialg::~CAssignAProgramToExecutonDialg() = default;

bool CAssignAProgramToExecutonDialg::OnInitDialog() {
  CProfileDlg::OnInitDialog();

  const QImage normal = LoadSkinImage(u"NormalImage");
  const QImage over = LoadSkinImage(u"OverImage");
  const QImage down = LoadSkinImage(u"DownImage");
  const QRect b = ReadSkinRect(u"KeyOpenProgramPathRect");
  browse_.Create(QString(), QRect(b.x(), b.y(), qMax(0, b.width()), qMax(0, b.height())), this, 0);
  browse_.SetStateImages(b.x(), b.y(), b.width(), b.height(), &normal, &over, &down, &normal);

  const QRect e = ReadSkinRect(u"KeyEditRect");
  edit_.setParent(this);
  edit_.setGeometry(e.x(), e.y(), qMax(0, e.width()), qMax(0, e.height()));
  edit_.setFrame(false);
  edit_.SetLimit(kPathLimit);
  edit_.SetTextSelected(path_);
  edit_.show();
  edit_.setFocus();
  return true;
}

bool CAssignAProgramToExecutonDialg::OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) {
  if (lParam == ui::HandleOf(&browse_)) {
    Browse();
    return true;
  }
  return CProfileDlg::OnCommand(wParam, lParam);
}

void CAssignAProgramToExecutonDialg::Browse() {
  ui::FileDialogOptions options;
  options.kind = ui::FileDialogOptions::Kind::Open;
  options.parent = nullptr;  // the system places it
  // Programs here have no extension as a rule: every file comes first, and no extension is
  // added to a typed name. The file need not exist (it may be on a drive mounted later).
  options.filter = QStringLiteral("所有文件(*)|*|exe file(*.exe)|*.exe|");
  options.fileMustExist = false;
  const std::optional<QString> chosen = ui::GetFileName(options);
  if (!chosen) return;
  if (chosen->size() > kPathLimit) {
    // The record could not hold it: the path and the edit stay as they were.
    ui::MessageBox(this, QString::fromUtf16(kPathTooLongText.data(),
                                            static_cast<qsizetype>(kPathTooLongText.size())));
    return;
  }
  edit_.SetTextSelected(*chosen);
}
