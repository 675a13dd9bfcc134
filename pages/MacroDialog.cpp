#include "pages/MacroDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>

#include "pages/DialogKeys.h"
#include "pages/MacroEventItems.h"
#include "platform/sys/ProgramFolder.h"
#include "platform/ui/ImageFile.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Text.h"
#include "platform/ui/Region.h"
#include "platform/ui/SysColor.h"
#include "platform/ui/WindowPlacement.h"
#include "resources/MenuTextTable.h"
#include "resources/SkinPath.h"
#include "skin/BmpMenu.h"
#include "skin/SkinValues.h"
#include "skin/WarningDlg.h"

namespace {

// The colours of both lists.
constexpr ui::COLORREF kListBackground = 0x00FFFFFF;
constexpr ui::COLORREF kListSelection = 0x00F9C80E;

// The size the popup menu's three levels need beside the cursor.
constexpr int kMenuWidth = 231;
constexpr int kMenuHeight = 264;

QString Text(MenuTextId id) { return QString::fromStdU16String(MenuText(id)); }

}  // namespace

CMacroDialog::CMacroDialog(const CINIFile& skinFile, const QString& imageFolder,
                           const QString& section, settings::MacroStore& store, int firstMacro,
                           QWidget* parent, settings::tagMODEINFO* editingModes,
                           const std::string& hookFolder)
    : CPageDialog(Kind::Dialog, skinFile, imageFolder, section, parent),
      hook_(hookFolder.empty() ? sys::ProgramFolder() : hookFolder),
      manager_(&store.macroStore, editingModes, firstMacro, names_, events_, *this,
               pages::MacroItemText) {
  // Modal from its first showing: the skin loader shows it before the modal run starts.
  setWindowModality(Qt::ApplicationModal);
  // The loop-count edit is a plain edit: any text can be typed, and each change is checked.
  loopEdit_.setParent(this);
  connect(&loopEdit_, &QLineEdit::textChanged, this,
          [this](const QString& text) { manager_.OnLoopCountEdited(text.toStdU16String()); });
}

CMacroDialog::~CMacroDialog() {
  if (!destroyed_) OnDestroy();
  hook_.Free();
}

bool CMacroDialog::LoadSkin() {
  const QImage normal = LoadSkinImage(u"NormalImage");
  const QRect place = ReadSkinRect(u"WindowsRect");
  resize(qMax(0, place.width()), qMax(0, place.height()));
  if (!normal.isNull()) {
    SetBackgroundBrush(QBrush(ui::CopyBlockOpaque(normal, normal.rect())));
    const QImage mask = LoadSkinImage(u"BackGroundMaskImage");
    if (!mask.isNull()) setMask(ui::CreateRegionFromImage(mask));
    ui::CenterWindow(this);
    SetPageVisible(ReadSkinInt(u"Visable") > 0);
    ShowPage(ui::SW_SHOWNORMAL);
  } else {
    ui::CenterWindow(this);
  }
  skinLoaded_ = !normal.isNull();

  // The controls are made even without a background, so that the dialog can still be left.
  const QImage over = LoadSkinImage(u"OverImage");
  const QImage down = LoadSkinImage(u"DownImage");
  const QImage& disabled = normal;
  const auto rectOf = [this](std::u16string_view key) {
    const QRect r = ReadSkinRect(key);
    return QRect(r.x(), r.y(), qMax(0, r.width()), qMax(0, r.height()));
  };
  const auto cut = [&](CBitmapBtn& button, std::u16string_view key) {
    const QRect r = rectOf(key);
    button.Create(QString(), r, this, 0);
    button.SetStateImages(r.x(), r.y(), r.width(), r.height(), &normal, &over, &down, &disabled);
  };
  const auto path = [this](std::u16string_view key) {
    return skin::SkinImagePath(ImageFolder(), SkinFile(), Section(), key);
  };
  const auto faces = [&](CBitmapBtn& button, std::u16string_view normalKey,
                         std::u16string_view overKey, std::u16string_view downKey,
                         std::u16string_view rectKey) {
    button.Create(QString(), rectOf(rectKey), this, 0);
    button.LoadStateImages(path(normalKey), path(overKey), path(downKey), path(normalKey));
  };

  cut(ok_, u"KeyOKRect");
  cut(cancel_, u"KeyCancleRect");
  cut(new_, u"KeyNewRect");
  cut(delete_, u"KeyDeleteRect");
  faces(startRecord_, u"KeyStartRecordNormalImage", u"KeyStartRecordOverImage",
        u"KeyStartRecordDownImage", u"KeyStartRecordRect");
  faces(stopRecord_, u"KeyStopRecordNormalImage", u"KeyStopRecordOverImage",
        u"KeyStopRecordDownImage", u"KeyStopRecordRect");
  cut(delayToggle_, u"KeyDelayOnOffRect");
  cut(loopToggle_, u"KeyLoopTimesOnOffRect");
  cut(radios_[0], u"KeyRepeateUntildTimeOverOrAnykeyDownRect");
  cut(radios_[1], u"KeyRepeatUntilAnykeyDownRect");
  cut(radios_[2], u"KeyRepeatUntilKeyUpRect");
  radios_[0].SetCheckState(1);

  for (auto [list, key] : {std::pair{&nameList_, u"MacroNameListRect"},
                           std::pair{&eventList_, u"KeySequenceListRect"}}) {
    list->Create(rectOf(key), this);
    list->SetColors(kListBackground, kListSelection);
  }
  nameList_.SetEditable(1);
  eventList_.SetImages(path(u"MacroKeyUpImage"), path(u"MacroKeyDownImage"),
                       path(u"MacroKeyDelayImage"), path(u"MacroMouseUpImage"),
                       path(u"MacroMouseDownImage"));
  loopEdit_.setGeometry(rectOf(u"EditMacroLoopRect"));
  loopEdit_.show();
  return skinLoaded_;
}

bool CMacroDialog::OnInitDialog() {
  CPageDialog::OnInitDialog();
  // installhook is called whatever the library lacks; a library without one of the three
  // operations cannot record (its keys would never be switched on, or never off).
  hookInstalled_ = hook_.installhook(this) == 1 && hook_.HasEveryExport();
  manager_.Init();
  RecordingChanged();
  qApp->installEventFilter(this);
  filtering_ = true;
  return true;
}

bool CMacroDialog::HookReady() const { return hookInstalled_; }

void CMacroDialog::SetHookStatus(int status) { hook_.SetHookStatus(status); }

ui::LRESULT CMacroDialog::WindowProc(uint32_t msg, ui::WPARAM wParam, ui::LPARAM lParam) {
  const auto from = [wParam](const CListBoxEx& list) {
    return static_cast<ui::LPARAM>(wParam) == ui::HandleOf(&list);
  };
  switch (msg) {
    case WM_HOOK_KEY:
      return manager_.OnHookKey(wParam, lParam);
    case WM_LBEX_SELCHANGE:
      if (from(nameList_)) manager_.OnNameSelectionChanged();
      return 0;
    case WM_LBEX_EDITDONE:
      return 0;
    case WM_LBEX_RBUTTONDOWN:
      if (from(eventList_) && manager_.CanOpenMenu()) {
        const QPoint cursor = QCursor::pos();
        OpenMacroMenu(cursor.x(), cursor.y());
      }
      return 0;
    case WM_LBEX_LBUTTONDOWN:
      CloseMacroMenu();
      return 0;
    case WM_MACROMENU_SELECT:
      CloseMacroMenu();
      manager_.MenuCommand(ui::HiWord(static_cast<uintptr_t>(lParam)));
      return 1;
    case WM_MACROMENU_CLOSE:
      CloseMacroMenu();
      return 1;
    default:
      return CPageDialog::WindowProc(msg, wParam, lParam);
  }
}

bool CMacroDialog::OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) {
  CloseMacroMenu();
  const auto is = [lParam](const QObject& button) { return lParam == ui::HandleOf(&button); };
  if (is(cancel_)) {
    OnCancel();
  } else if (is(ok_)) {
    if (manager_.Ok(loopEdit_.text().toStdU16String())) OnOK();
  } else if (is(startRecord_)) {
    manager_.StartRecording();
  } else if (is(stopRecord_)) {
    manager_.StopRecording();
  } else if (is(new_)) {
    manager_.OnNew();
  } else if (is(delete_)) {
    manager_.OnDelete();
  } else if (is(loopToggle_)) {
    manager_.ToggleLoop();
  } else if (is(delayToggle_)) {
    manager_.ToggleDelayRecording();
  } else if (is(radios_[0]) || is(radios_[1]) || is(radios_[2])) {
    manager_.ChooseRepeatMode(is(radios_[0]) ? 0 : is(radios_[1]) ? 1 : 2);
  } else {
    return CPageDialog::OnCommand(wParam, lParam);
  }
  return true;
}

void CMacroDialog::OnLButtonDown(ui::WPARAM, const QPoint& point) {
  CloseMacroMenu();
  // The press drags the manager itself; the main window behind it is not told.
  ui::PostMessage(this, ui::WM_NCLBUTTONDOWN, ui::HTCAPTION, ui::MakeLParam(point.x(), point.y()));
}

void CMacroDialog::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    CloseMacroMenu();
    event->accept();
    return;
  }
  CPageDialog::mousePressEvent(event);
}

void CMacroDialog::closeEvent(QCloseEvent* event) {
  // The window manager's close request (Alt+F4) never closes the manager; only without its
  // skin, when it has no visible buttons, does it count as Cancel.
  event->ignore();
  if (!skinLoaded_ && !manager_.IsRecording()) OnCancel();
}

void CMacroDialog::done(int result) {
  CPageDialog::done(result);
  if (!destroyed_) OnDestroy();
}

void CMacroDialog::OnDestroy() {
  destroyed_ = true;
  if (filtering_) {
    qApp->removeEventFilter(this);
    filtering_ = false;
  }
  CloseMacroMenu();
  hook_.removehook();
}

bool CMacroDialog::eventFilter(QObject* watched, QEvent* event) {
  if (PreTranslateMessage(watched, event)) return true;
  return CPageDialog::eventFilter(watched, event);
}

bool CMacroDialog::PreTranslateMessage(QObject* receiver, QEvent* event) {
  if (forwarding_) return false;
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
  if (!receiver->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(receiver);
  if (widget != this && !isAncestorOf(widget)) return false;
  const auto* key = static_cast<const QKeyEvent*>(event);
  if (!pages::IsDialogKey(*key)) return false;
  if (QLineEdit* editor = eventList_.Editor()) {
    // The delay editor commits on Enter and cancels on Esc.
    QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat());
    forwarding_ = true;
    QCoreApplication::sendEvent(editor, &copy);
    forwarding_ = false;
  }
  return true;
}

void CMacroDialog::OpenMacroMenu(int x, int y) {
  CloseMacroMenu();
  const std::string folder = ImageFolder().toStdString();
  const auto sheets = [&folder](CMacroMenu& menu, const char16_t* n, const char16_t* o,
                                const char16_t* d) {
    const QString normal = QString::fromStdString(resources::SkinPath(folder, n));
    menu.LoadImages(normal, QString::fromStdString(resources::SkinPath(folder, o)),
                    QString::fromStdString(resources::SkinPath(folder, d)), normal);
  };

  struct MouseButton {
    MenuTextId name;
    int up, down, click;
  };
  static constexpr MouseButton kButtons[] = {
      {MenuTextId::MINOR_MACRO_INSERT_MOUSE_KEY_LEFT, 6, 7, 8},
      {MenuTextId::MINOR_MACRO_INSERT_MOUSE_KEY_RIGHT, 9, 10, 11},
      {MenuTextId::MINOR_MACRO_INSERT_MOUSE_KEY_MIDDLE, 12, 13, 14},
      {MenuTextId::MINOR_MACRO_INSERT_MOUSE_KEY_FORWARD, 15, 16, 17},
      {MenuTextId::MINOR_MACRO_INSERT_MOUSE_KEY_BACKWARED, 18, 19, 20},
  };
  auto mouse = std::make_unique<CMacroMenu>();
  sheets(*mouse, u"Defualt\\MacroMenu\\Sub_Macro_menu_n.PNG",
         u"Defualt\\MacroMenu\\Sub_Macro_menu_o.PNG", u"Defualt\\MacroMenu\\Sub_Macro_menu_d.PNG");
  for (const MouseButton& button : kButtons) {
    auto events = std::make_unique<CMacroMenu>();
    sheets(*events, u"Defualt\\MacroMenu\\Sub2_Macro_menu_n.PNG",
           u"Defualt\\MacroMenu\\Sub2_Macro_menu_o.PNG",
           u"Defualt\\MacroMenu\\Sub2_Macro_menu_d.PNG");
    events->AddItem(Text(MenuTextId::SUBMINOR_MACRO_INSERT_MOUSE_KEY_DOWN), button.down, false,
                    nullptr);
    events->AddItem(Text(MenuTextId::SUBMINOR_MACRO_INSERT_MOUSE_KEY_UP), button.up, false,
                    nullptr);
    events->AddItem(Text(MenuTextId::SUBMINOR_MACRO_INSERT_MOUSE_KEY_CLICK), button.click, false,
                    nullptr);
    mouse->AddItem(Text(button.name), 0, true, events.release());
  }

  auto top = std::make_unique<CMacroMenu>(this);
  sheets(*top, u"Defualt\\MacroMenu\\Macro_menu_n.png", u"Defualt\\MacroMenu\\Macro_menu_o.png",
         u"Defualt\\MacroMenu\\Macro_menu_d.png");
  top->AddItem(Text(MenuTextId::MAJOR_MACRO_AT_BEFORE_RECORD), 1, false, nullptr);
  top->AddItem(Text(MenuTextId::MAJOR_MACRO_AT_AFTER_RECORD), 2, false, nullptr);
  top->AddItem(Text(MenuTextId::MAJOR_MACRO_INSERT_DELAY), 3, false, nullptr);
  top->AddItem(Text(MenuTextId::MAJOR_MACRO_INSERT_MOUSE_KEY), 0, true, mouse.release());
  top->AddItem(Text(MenuTextId::MAJOR_MACRO_EDIT_DELAY), 4, false, nullptr);
  top->AddItem(Text(MenuTextId::MAJOR_MACRO_DELETE), 5, false, nullptr);

  QPoint at(x, y);
  CBmpMenu::KeepOnScreen(at, kMenuWidth, kMenuHeight);
  top->SetPosition(at.x(), at.y());
  top->Create(this);
  macroMenu_ = std::move(top);
}

void CMacroDialog::CloseMacroMenu() {
  if (!macroMenu_) return;
  if (macroMenu_->Window() != nullptr) macroMenu_->DestroyWindow();
  macroMenu_.reset();
}

void CMacroDialog::ShowWarning(const QString& section) {
  // Over the manager, which takes no input until it is answered; the answer is not used.
  CWarningDlg warning(SkinFile(), ImageFolder(), section, this);
  warning.DoModal();
}

void CMacroDialog::ShowRenameWarning() {
  ShowWarning(QStringLiteral("MacroListRenameWarningDialog"));
}

void CMacroDialog::ShowDeleteWarning() {
  ShowWarning(QStringLiteral("MacroListDeleteWarningDialog"));
}

void CMacroDialog::ShowMessage(std::u16string_view text) {
  ui::MessageBox(this, ui::ToQString(text));
}

void CMacroDialog::SettingsChanged() {
  delayToggle_.SetCheckState(manager_.DelayRecordingCheck());
  loopToggle_.SetCheckState(manager_.LoopCheck());
  for (size_t k = 0; k < radios_.size(); ++k) {
    radios_[k].SetCheckState(static_cast<int>(k) == manager_.RepeatModeRadio() ? 1 : 0);
  }
  // Setting the text runs the edit's change handler, which finds the value it holds.
  const QString text = QString::fromStdU16String(manager_.LoopCountText());
  if (loopEdit_.text() != text) loopEdit_.setText(text);
  loopEdit_.setEnabled(manager_.LoopCountEditEnabled());
}

void CMacroDialog::RecordingChanged() {
  const bool recording = manager_.IsRecording();
  ui::ShowWindow(&startRecord_, recording ? ui::SW_HIDE : ui::SW_SHOWNORMAL);
  ui::ShowWindow(&stopRecord_, recording ? ui::SW_SHOWNORMAL : ui::SW_HIDE);
  for (QWidget* control : std::initializer_list<QWidget*>{&new_, &delete_, &ok_, &cancel_,
                                                          &nameList_, &loopToggle_}) {
    control->setEnabled(!recording);
  }
  loopEdit_.setEnabled(manager_.LoopCountEditEnabled());
}
