// The main window's settings pages: the six places of the page table, their skinning (the
// start-up tab's before the window shows, the others once it has been painted), the four tabs,
// the current mode's record handed to the pages, the button page's function menu, the profile
// dialogs and the pages' messages held back while Apply runs.
#include <QGuiApplication>
#include <QMetaObject>

#include <algorithm>
#include <functional>
#include <array>
#include <iterator>
#include <span>
#include <string_view>
#include <vector>

#include "app/KavrinDireZerudDlg.h"
#include "pages/AdvanceSettingPage.h"
#include "pages/CreateProfileDialog.h"
#include "pages/KeyDefineSettingPage.h"
#include "pages/LightSettingPage.h"
#include "pages/MousePicturePage.h"
#include "pages/SensitivityPage.h"
#include "pages/SystemSettingPage.h"
#include "platform/ui/Text.h"
#include "platform/ui/WindowPlacement.h"
#include "skin/SkinValues.h"

namespace {

using Page = CKavrinDireZerudDlg::Page;
using Button = CKavrinDireZerudDlg::Button;

// The image keys each page's skin loader reads, in the order it reads them.
constexpr std::u16string_view kPageImages[] = {u"NormalImage", u"BackGroundMaskImage",
                                               u"OverImage", u"DownImage"};
// The sensitivity page's sliders add their thumbs: the X slider's, then the Y slider's.
constexpr std::u16string_view kSensitivityPageImages[] = {
    u"NormalImage", u"BackGroundMaskImage", u"OverImage", u"DownImage",
    u"SliderDownBKImage", u"SliderUpBKImage"};

// The page table: the order in which the pages are created and deleted, and their sections.
struct PageEntry {
  Page page;
  std::u16string_view section;
  std::span<const std::u16string_view> images;
};
constexpr PageEntry kPageTable[] = {
    {Page::MousePicture, u"MousePictruePage", kPageImages},
    {Page::Light, u"LightSettingPage", kPageImages},
    {Page::Sensitivity, u"SensitivitySettingPage", kSensitivityPageImages},
    {Page::Advance, u"AdvanceSettingPage", kPageImages},
    {Page::System, u"SystemSettingPage", kPageImages},
    {Page::KeyDefine, u"KeyDefineSettingPage", kPageImages},
};
static_assert(std::size(kPageTable) == CKavrinDireZerudDlg::kPageCount);

// The four tabs and the pages each shows.
struct Tab {
  Button button;
  std::array<Page, 2> pages;
  size_t count;
  bool Shows(Page page) const {
    return std::find(pages.begin(), pages.begin() + count, page) != pages.begin() + count;
  }
};
constexpr Tab kTabs[] = {
    {Button::Light, {Page::Light}, 1},
    {Button::Sensitivity, {Page::Sensitivity}, 1},
    {Button::KeyDefine, {Page::KeyDefine, Page::MousePicture}, 2},
    {Button::Advance, {Page::System, Page::Advance}, 2},
};

const Tab& TabOf(Button button) {
  for (const Tab& tab : kTabs) {
    if (tab.button == button) return tab;
  }
  return kTabs[2];
}

// The pages in the order they are skinned: those of the tab shown at start-up at once, in the
// table's order, the others once the window has been painted.
std::vector<const PageEntry*> SkinOrder() {
  std::vector<const PageEntry*> order;
  for (bool first : {true, false}) {
    for (const PageEntry& entry : kPageTable) {
      if (TabOf(CKavrinDireZerudDlg::kStartupTab).Shows(entry.page) == first)
        order.push_back(&entry);
    }
  }
  return order;
}

int IndexOf(Page page) { return static_cast<int>(page); }

// The image files of the pages that `which` chooses, in the order the pages are skinned.
QStringList ImagesOf(const QString& folder, const CINIFile& skinFile,
                     const std::function<bool(Page)>& which) {
  QStringList files;
  for (const PageEntry* entry : SkinOrder()) {
    if (!which(entry->page)) continue;
    const QString section = ui::ToQString(entry->section);
    for (std::u16string_view key : entry->images)
      files << skin::SkinImagePath(folder, skinFile, section, key);
  }
  return files;
}

CPageDialog* NewPage(Page page, const CINIFile& skinFile, const QString& folder,
                     const QString& section, QWidget* parent) {
  switch (page) {
    case Page::MousePicture: return new CMousePicturePage(skinFile, folder, section, parent);
    case Page::Light: return new CLightSettingPage(skinFile, folder, section, parent);
    case Page::Sensitivity: return new CSensitivityPage(skinFile, folder, section, parent);
    case Page::Advance: return new CAdvanceSettingPage(skinFile, folder, section, parent);
    case Page::System: return new CSystemSettingPage(skinFile, folder, section, parent);
    case Page::KeyDefine: return new CKeyDefineSettingPage(skinFile, folder, section, parent);
  }
  return nullptr;
}

}  // namespace

CPageDialog* CKavrinDireZerudDlg::PageOf(Page page) {
  SkinPage(page);
  return pages_[IndexOf(page)];
}

CMousePicturePage* CKavrinDireZerudDlg::MousePicturePage() {
  return static_cast<CMousePicturePage*>(PageOf(Page::MousePicture));
}
CLightSettingPage* CKavrinDireZerudDlg::LightPage() {
  return static_cast<CLightSettingPage*>(PageOf(Page::Light));
}
CSensitivityPage* CKavrinDireZerudDlg::SensitivityPage() {
  return static_cast<CSensitivityPage*>(PageOf(Page::Sensitivity));
}
CAdvanceSettingPage* CKavrinDireZerudDlg::AdvancePage() {
  return static_cast<CAdvanceSettingPage*>(PageOf(Page::Advance));
}
CSystemSettingPage* CKavrinDireZerudDlg::SystemPage() {
  return static_cast<CSystemSettingPage*>(PageOf(Page::System));
}
CKeyDefineSettingPage* CKavrinDireZerudDlg::KeyDefinePage() {
  return static_cast<CKeyDefineSettingPage*>(PageOf(Page::KeyDefine));
}

settings::MacroStore& CKavrinDireZerudDlg::Macros() { return KeyDefinePage()->Macros(); }

QStringList CKavrinDireZerudDlg::PageImageFiles(const QString& folder, const CINIFile& skinFile,
                                                bool startupTab) {
  return ImagesOf(folder, skinFile,
                  [startupTab](Page page) { return TabOf(kStartupTab).Shows(page) == startupTab; });
}

void CKavrinDireZerudDlg::CreatePages() {
  const QString folder = QString::fromStdString(programFolder_);
  // The table's order; each page reads its own section of the skin file.
  for (const PageEntry& entry : kPageTable) {
    pages_[IndexOf(entry.page)] =
        NewPage(entry.page, skinFile_, folder, ui::ToQString(entry.section), this);
  }
  // The button page learns the mode, the picture and the records before it initialises: its
  // initialisation loads the macro store, which Apply then reads through it.
  auto* keyDefine = static_cast<CKeyDefineSettingPage*>(pages_[IndexOf(Page::KeyDefine)]);
  CKeyDefineSettingPage::Host host;
  host.currentMode = [this] { return settings_.CurrentMode(); };
  host.mousePicture = static_cast<CMousePicturePage*>(pages_[IndexOf(Page::MousePicture)]);
  host.editingModes = settings_.EditingModes;
  host.appliedModes = settings_.AppliedModes;
  keyDefine->SetHost(std::move(host));
  applyRunner_.SetMacroStore(&keyDefine->Macros());

  for (CPageDialog* page : pages_) page->installEventFilter(this);
  // The restore of the advanced page, once confirmed: the four editing records go back to the
  // factory settings (nothing else: not the mouse, the desktop, the files or the applied
  // records), and every page shows the first mode.
  static_cast<CAdvanceSettingPage*>(pages_[IndexOf(Page::Advance)])->SetRestoreHandler([this] {
    settings_.ResetAllModesToDefaults();
    RefreshModeView();
  });
  // The function menu closes when the program loses the focus to another application.
  connect(qApp, &QGuiApplication::applicationStateChanged, this,
          [this](Qt::ApplicationState state) {
            if (state != Qt::ApplicationActive) CloseFunctionMenu();
          });

  // The pages of the start-up tab are skinned now, the others once the window has been painted
  // (or when their tab is chosen first).
  for (const PageEntry* entry : SkinOrder()) {
    if (TabOf(kStartupTab).Shows(entry->page)) SkinPage(entry->page);
  }
}

void CKavrinDireZerudDlg::SkinPage(Page page) {
  CPageDialog* made = pages_[IndexOf(page)];
  if (!made || made->Initialised()) return;
  if (!TabOf(kStartupTab).Shows(page)) DecodeLaterPages();
  made->Create();
  // It shows the record of the current mode when the other pages have been given one, and it
  // is shown only with its tab.
  if (pagesAttached_) RefreshPages(page);
  if (TabOf(shownTab_).Shows(page)) {
    ui::ShowWindow(made, ui::SW_SHOWNORMAL);
  } else {
    made->hide();
  }
  if (PagesSkinned()) EndImageDecoding();
}

void CKavrinDireZerudDlg::DecodeLaterPages() {
  if (prefetch_) prefetch_->Release();
}

bool CKavrinDireZerudDlg::PagesSkinned() const {
  return std::all_of(std::begin(pages_), std::end(pages_),
                     [](const CPageDialog* p) { return !p || p->Initialised(); });
}

void CKavrinDireZerudDlg::SkinPagesLater() {
  if (skinPagesPosted_ || destroyed_ || PagesSkinned()) return;
  skinPagesPosted_ = true;
  DecodeLaterPages();
  // One page a turn of the event loop, so that input and painting are served in between.
  QMetaObject::invokeMethod(
      this,
      [this] {
        skinPagesPosted_ = false;
        // Apply's worker reads the records that a page is given; Apply asks again when it ends.
        if (destroyed_ || applyRunner_.Running()) return;
        for (const PageEntry* entry : SkinOrder()) {
          const CPageDialog* page = pages_[IndexOf(entry->page)];
          if (page && !page->Initialised()) {
            SkinPage(entry->page);
            break;
          }
        }
        SkinPagesLater();
      },
      Qt::QueuedConnection);
}

void CKavrinDireZerudDlg::RefreshPages(std::optional<Page> only) {
  pagesAttached_ = true;
  settings::tagMODEINFO& record = settings_.CurrentEditingMode();
  // A page that has not been skinned yet is given the record when it is.
  const auto ready = [&](Page page) -> CPageDialog* {
    CPageDialog* p = pages_[IndexOf(page)];
    return p && p->Initialised() && (!only || *only == page) ? p : nullptr;
  };
  if (auto* light = static_cast<CLightSettingPage*>(ready(Page::Light)))
    light->SetLightData(&record.light);
  if (auto* sensitivity = static_cast<CSensitivityPage*>(ready(Page::Sensitivity)))
    sensitivity->AttachModeInfo(&record);
  if (auto* keyDefine = static_cast<CKeyDefineSettingPage*>(ready(Page::KeyDefine)))
    keyDefine->SetKeyData(record.keys);
  if (auto* advance = static_cast<CAdvanceSettingPage*>(ready(Page::Advance)))
    advance->AttachModeInfo(&record);
  if (auto* system = static_cast<CSystemSettingPage*>(ready(Page::System)))
    system->AttachModeInfo(&record);
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

void CKavrinDireZerudDlg::ShowTab(Button tabButton) {
  const Tab& tab = TabOf(tabButton);
  shownTab_ = tabButton;
  // A tab clicked before its pages were skinned skins them now, with the images decoded ahead:
  // those not decoded yet are decoded next, on all the workers.
  if (prefetch_) {
    prefetch_->Prefer(ImagesOf(QString::fromStdString(programFolder_), skinFile_, [&](Page p) {
      return tab.Shows(p) && pages_[IndexOf(p)] && !pages_[IndexOf(p)]->Initialised();
    }));
  }
  for (size_t i = 0; i < tab.count; ++i) SkinPage(tab.pages[i]);
  for (const PageEntry& entry : kPageTable) {
    CPageDialog* page = pages_[IndexOf(entry.page)];
    if (!page || !page->Initialised()) continue;
    // Shown directly: a page's own visibility flag plays no part here.
    if (tab.Shows(entry.page)) {
      ui::ShowWindow(page, ui::SW_SHOWNORMAL);
    } else {
      page->hide();
    }
  }
  for (const Tab& t : kTabs) ButtonOf(t.button).SetCheckState(t.button == tabButton ? 1 : 0);
}

void CKavrinDireZerudDlg::ShowLightPage() { ShowTab(Button::Light); }
void CKavrinDireZerudDlg::ShowSensitivityPage() { ShowTab(Button::Sensitivity); }
void CKavrinDireZerudDlg::ShowKeyDefinePage() { ShowTab(Button::KeyDefine); }
void CKavrinDireZerudDlg::ShowAdvancePage() { ShowTab(Button::Advance); }

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
