// The main window's settings pages: the six places of the page table, the four tabs, the
// current mode's record handed to the pages, the button page's function menu, the profile
// dialogs and the pages' messages held back while Apply runs.
#include <QGuiApplication>

#include "app/KavrinDireZerudDlg.h"
#include "pages/AdvanceSettingPage.h"
#include "pages/CreateProfileDialog.h"
#include "pages/KeyDefineSettingPage.h"
#include "pages/LightSettingPage.h"
#include "pages/MousePicturePage.h"
#include "pages/SensitivityPage.h"
#include "pages/SystemSettingPage.h"
#include "platform/ui/WindowPlacement.h"

namespace {

using Page = CKavrinDireZerudDlg::Page;
using Button = CKavrinDireZerudDlg::Button;

constexpr Button kTabs[] = {Button::Light, Button::Sensitivity, Button::KeyDefine,
                            Button::Advance};

// A page of `section`, a child of `window`, skinned at once.
template <typename PageClass>
CPageDialog* MakePage(CKavrinDireZerudDlg& window, const QString& folder, const char16_t* section) {
  auto* page = new PageClass(window.SkinFile(), folder, QString::fromUtf16(section), &window);
  page->Create();
  return page;
}

}  // namespace

CMousePicturePage* CKavrinDireZerudDlg::MousePicturePage() const {
  return static_cast<CMousePicturePage*>(PageOf(Page::MousePicture));
}
CLightSettingPage* CKavrinDireZerudDlg::LightPage() const {
  return static_cast<CLightSettingPage*>(PageOf(Page::Light));
}
CSensitivityPage* CKavrinDireZerudDlg::SensitivityPage() const {
  return static_cast<CSensitivityPage*>(PageOf(Page::Sensitivity));
}
CAdvanceSettingPage* CKavrinDireZerudDlg::AdvancePage() const {
  return static_cast<CAdvanceSettingPage*>(PageOf(Page::Advance));
}
CSystemSettingPage* CKavrinDireZerudDlg::SystemPage() const {
  return static_cast<CSystemSettingPage*>(PageOf(Page::System));
}
CKeyDefineSettingPage* CKavrinDireZerudDlg::KeyDefinePage() const {
  return static_cast<CKeyDefineSettingPage*>(PageOf(Page::KeyDefine));
}

settings::MacroStore& CKavrinDireZerudDlg::Macros() { return KeyDefinePage()->Macros(); }

void CKavrinDireZerudDlg::CreatePages() {
  const QString folder = QString::fromStdString(programFolder_);
  const auto place = [this](Page page, CPageDialog* made) { pages_[static_cast<int>(page)] = made; };
  // The table's order; each page reads its own section of the skin file.
  place(Page::MousePicture, MakePage<CMousePicturePage>(*this, folder, u"MousePictruePage"));
  place(Page::Light, MakePage<CLightSettingPage>(*this, folder, u"LightSettingPage"));
  place(Page::Sensitivity, MakePage<CSensitivityPage>(*this, folder, u"SensitivitySettingPage"));
  place(Page::Advance, MakePage<CAdvanceSettingPage>(*this, folder, u"AdvanceSettingPage"));
  place(Page::System, MakePage<CSystemSettingPage>(*this, folder, u"SystemSettingPage"));
  // The button page learns the mode, the picture and the records before it initialises: its
  // initialisation loads the macro store, which Apply then reads through it.
  auto* keyDefine = new CKeyDefineSettingPage(skinFile_, folder,
                                              QStringLiteral("KeyDefineSettingPage"), this);
  CKeyDefineSettingPage::Host host;
  host.currentMode = [this] { return settings_.CurrentMode(); };
  host.mousePicture = MousePicturePage();
  host.editingModes = settings_.EditingModes;
  host.appliedModes = settings_.AppliedModes;
  keyDefine->SetHost(std::move(host));
  keyDefine->Create();
  place(Page::KeyDefine, keyDefine);
  applyRunner_.SetMacroStore(&keyDefine->Macros());

  for (CPageDialog* page : pages_) {
    if (page) page->installEventFilter(this);
  }
  // The restore of the advanced page, once confirmed: the four editing records go back to the
  // factory settings (nothing else: not the mouse, the desktop, the files or the applied
  // records), and every page shows the first mode.
  AdvancePage()->SetRestoreHandler([this] {
    settings_.ResetAllModesToDefaults();
    RefreshModeView();
  });
  // The function menu closes when the program loses the focus to another application.
  connect(qApp, &QGuiApplication::applicationStateChanged, this,
          [this](Qt::ApplicationState state) {
            if (state != Qt::ApplicationActive) CloseFunctionMenu();
          });
}

void CKavrinDireZerudDlg::RefreshPages() {
  settings::tagMODEINFO& record = settings_.CurrentEditingMode();
  if (CLightSettingPage* light = LightPage()) light->SetLightData(&record.light);
  if (CSensitivityPage* sensitivity = SensitivityPage()) sensitivity->AttachModeInfo(&record);
  if (CKeyDefineSettingPage* keyDefine = KeyDefinePage()) keyDefine->SetKeyData(record.keys);
  if (CAdvanceSettingPage* advance = AdvancePage()) advance->AttachModeInfo(&record);
  if (CSystemSettingPage* system = SystemPage()) system->AttachModeInfo(&record);
}

void CKavrinDireZerudDlg::DeletePages() {
  // Messages held back for a page go with it.
  std::erase_if(deferred_, [this](const DeferredMessage& m) { return m.target != this; });
  applyRunner_.SetMacroStore(nullptr);
  for (CPageDialog*& page : pages_) {
    delete page;
    page = nullptr;
  }
}

void CKavrinDireZerudDlg::ShowTab(Button tab, std::initializer_list<Page> shown) {
  for (int i = 0; i < kPageCount; ++i) {
    CPageDialog* page = pages_[i];
    if (!page) continue;
    bool show = false;
    for (Page s : shown) show = show || static_cast<int>(s) == i;
    // Shown directly: a page's own visibility flag plays no part here.
    if (show) {
      ui::ShowWindow(page, ui::SW_SHOWNORMAL);
    } else {
      page->hide();
    }
  }
  for (Button t : kTabs) ButtonOf(t).SetCheckState(t == tab ? 1 : 0);
}

void CKavrinDireZerudDlg::ShowLightPage() { ShowTab(Button::Light, {Page::Light}); }
void CKavrinDireZerudDlg::ShowSensitivityPage() {
  ShowTab(Button::Sensitivity, {Page::Sensitivity});
}
void CKavrinDireZerudDlg::ShowKeyDefinePage() {
  ShowTab(Button::KeyDefine, {Page::KeyDefine, Page::MousePicture});
}
void CKavrinDireZerudDlg::ShowAdvancePage() {
  ShowTab(Button::Advance, {Page::System, Page::Advance});
}

void CKavrinDireZerudDlg::CloseFunctionMenu() {
  CKeyDefineSettingPage* keyDefine = KeyDefinePage();
  if (!keyDefine) return;
  keyDefine->CloseFunctionMenu();
  keyDefine->UncheckAllKeys();
}

void CKavrinDireZerudDlg::OnFunctionSelected(ui::WPARAM wParam, ui::LPARAM lParam) {
  // A choice that arrives after the button page is gone is dropped.
  CKeyDefineSettingPage* keyDefine = KeyDefinePage();
  if (!keyDefine) return;
  keyDefine->OnFunctionSelected(wParam, lParam);
}

void CKavrinDireZerudDlg::OnCreateProfile() {
  ButtonOf(Button::Create).SetCheckState(0);
  settings::tagMODEINFO& record = settings_.CurrentEditingMode();
  CCreateProfileDialog dialog(skinFile_, QString::fromStdString(programFolder_),
                              QStringLiteral("CreateProfileDialog"), &record.profileName,
                              &record.appPath, this);
  dialog.DoModal();
}

void CKavrinDireZerudDlg::OnModifyProfile() {
  ButtonOf(Button::Modify).SetCheckState(0);
  ButtonOf(Button::Create).SetCheckState(0);
  settings::tagMODEINFO& record = settings_.CurrentEditingMode();
  CModifyProfileDialog dialog(skinFile_, QString::fromStdString(programFolder_),
                              QStringLiteral("CreateProfileDialog"), &record.profileName,
                              &record.appPath, this);
  dialog.DoModal();
}

bool CKavrinDireZerudDlg::eventFilter(QObject* watched, QEvent* event) {
  // A page's message (a slider's release posted just before Apply began) waits until Apply
  // has ended, as this window's own messages do.
  if (applyRunner_.Running() && watched != this) {
    if (ui::WindowMessageEvent* message = ui::AsWindowMessage(event)) {
      deferred_.push_back({watched, message->Msg(), message->WParam(), message->LParam()});
      return true;
    }
  }
  return CPageDialog::eventFilter(watched, event);
}
