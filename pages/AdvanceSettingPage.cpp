#include "pages/AdvanceSettingPage.h"

#include "pages/PageSkin.h"
#include "skin/WarningDlg.h"

namespace {

constexpr std::u16string_view kRateKeys[CAdvanceSettingPage::kReportRateCount] = {
    u"KeyRect_125HZ", u"KeyRect_250HZ", u"KeyRect_500HZ", u"KeyRect_1000HZ"};
constexpr std::u16string_view kFireSpeedKeys[CAdvanceSettingPage::kFireSpeedCount] = {
    u"KeyRect_FireSpeed1", u"KeyRect_FireSpeed2", u"KeyRect_FireSpeed3", u"KeyRect_FireSpeed4",
    u"KeyRect_FireSpeed5"};

}  // namespace

CAdvanceSettingPage::CAdvanceSettingPage(const CINIFile& skinFile, const QString& imageFolder,
                                         const QString& section, QWidget* parent)
    : CPageDialog(Kind::Page, skinFile, imageFolder, section, parent) {}

CAdvanceSettingPage::~CAdvanceSettingPage() = default;

int CAdvanceSettingPage::FireSpeedButton(uint8_t value) {
  for (int i = 0; i < kFireSpeedCount; ++i) {
    if (kFireSpeeds[i] == value) return i;
  }
  return -1;
}

int CAdvanceSettingPage::ReportRateButton(uint8_t index) {
  return index < kReportRateCount ? index : -1;
}

bool CAdvanceSettingPage::LoadSkin() {
  const bool loaded = CPageDialog::LoadSkin();

  const pages::PageSheets sheets = pages::PageSheets::Load(*this);
  for (int i = 0; i < kReportRateCount; ++i)
    pages::CreatePageButton(rates_[i], *this, kRateKeys[i], sheets);
  for (int i = 0; i < kFireSpeedCount; ++i)
    pages::CreatePageButton(fireSpeeds_[i], *this, kFireSpeedKeys[i], sheets);
  pages::CreatePageButton(restore_, *this, u"KeyRect_Restore", sheets);

  SelectReportRate(0);
  return loaded;
}

void CAdvanceSettingPage::AttachModeInfo(settings::tagMODEINFO* record) {
  record_ = record;
  if (!record_) return;
  if (record_->fireSpeed < kFireSpeeds[0]) record_->fireSpeed = kFireSpeeds[0];
  SelectFireSpeed(record_->fireSpeed);
  SelectReportRate(record_->reportRateIndex);
}

void CAdvanceSettingPage::SelectFireSpeed(uint8_t value) {
  const int checked = FireSpeedButton(value);
  for (int i = 0; i < kFireSpeedCount; ++i) fireSpeeds_[i].SetCheckState(0);
  if (checked >= 0) fireSpeeds_[checked].SetCheckState(1);
}

void CAdvanceSettingPage::SelectReportRate(uint8_t index) {
  const int checked = ReportRateButton(index);
  for (int i = 0; i < kReportRateCount; ++i) rates_[i].SetCheckState(0);
  if (checked >= 0) rates_[checked].SetCheckState(1);
}

bool CAdvanceSettingPage::OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) {
  for (int i = 0; i < kReportRateCount; ++i) {
    if (lParam != ui::HandleOf(&rates_[i])) continue;
    // Before a record is attached the click only shows.
    if (record_) record_->reportRateIndex = static_cast<uint8_t>(i);
    SelectReportRate(static_cast<uint8_t>(i));
    return true;
  }
  for (int i = 0; i < kFireSpeedCount; ++i) {
    if (lParam != ui::HandleOf(&fireSpeeds_[i])) continue;
    if (record_) record_->fireSpeed = kFireSpeeds[i];
    SelectFireSpeed(kFireSpeeds[i]);
    return true;
  }
  if (lParam == ui::HandleOf(&restore_)) {
    Restore();
    return true;
  }
  return CPageDialog::OnCommand(wParam, lParam);
}

void CAdvanceSettingPage::Restore() {
  // The warning is modal over the main window; only OK restores.
  CWarningDlg warning(SkinFile(), ImageFolder(), QStringLiteral("RestoreWarningDialog"), window());
  if (warning.DoModal() != ui::IDOK) return;
  if (restoreHandler_) restoreHandler_();
}
