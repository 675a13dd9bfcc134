#include "pages/SystemSettingPage.h"

#include "pages/PageSkin.h"

namespace {

constexpr std::u16string_view kSliderKeys[CSystemSettingPage::kSliderCount] = {
    u"Sliderbar_DoubleClickSpeed", u"Sliderbar_MouseMoveSpeed",
    u"Sliderbar_MouseWheelHorizontalSpeed", u"Sliderbar_WheelVerticalSpeed"};

}  // namespace

CSystemSettingPage::CSystemSettingPage(const CINIFile& skinFile, const QString& imageFolder,
                                       const QString& section, QWidget* parent)
    : CPageDialog(Kind::Page, skinFile, imageFolder, section, parent) {}

CSystemSettingPage::~CSystemSettingPage() = default;

int CSystemSettingPage::SliderPosition(int32_t stored, int offset) {
  // Values from files may be anything: the difference is taken in 64 bits.
  const int64_t value = int64_t(stored) - offset;
  return value >= 0 && value <= kSliderMax ? static_cast<int>(value) : 0;
}

bool CSystemSettingPage::LoadSkin() {
  const bool loaded = CPageDialog::LoadSkin();

  const pages::PageSheets sheets = pages::PageSheets::Load(*this);
  for (int i = 0; i < kSliderCount; ++i)
    pages::CreatePageMarker(sliders_[i], *this, kSliderKeys[i], 0, kSliderMax, sheets);
  pages::CreatePageButton(precision_, *this, u"KeyRect_MousePrecision", sheets);
  pages::CreatePageButton(onePage_, *this, u"KeyRect_MouseWhellOnePage", sheets);
  return loaded;
}

void CSystemSettingPage::AttachModeInfo(settings::tagMODEINFO* record) {
  record_ = record;
  if (!record_) return;
  sliders_[DoubleClickSpeed].SetPos(SliderPosition(record_->doubleClickSpeed, 0));
  sliders_[PointerSpeed].SetPos(SliderPosition(record_->pointerSpeed, 0));
  precision_.SetCheckState(record_->pointerPrecision);
  sliders_[HorizontalScroll].SetPos(SliderPosition(record_->horizontalScrollAmount, 1));
  sliders_[WheelLines].SetPos(SliderPosition(record_->wheelLines, 1));
  onePage_.SetCheckState(record_->wheelOnePage);
}

void CSystemSettingPage::SaveModeInfo() {
  if (!record_) return;  // before the first attach the controls only show
  record_->doubleClickSpeed = sliders_[DoubleClickSpeed].Value();
  record_->pointerSpeed = sliders_[PointerSpeed].Value();
  record_->horizontalScrollAmount = sliders_[HorizontalScroll].Value() + 1;
  record_->wheelLines = sliders_[WheelLines].Value() + 1;
  record_->pointerPrecision = precision_.GetCheckState();
  record_->wheelOnePage = onePage_.GetCheckState();
}

ui::LRESULT CSystemSettingPage::WindowProc(uint32_t msg, ui::WPARAM wParam, ui::LPARAM lParam) {
  if (msg == WM_MARKER_POS) {
    SaveModeInfo();
    AttachModeInfo(record_);
    return 0;
  }
  return CPageDialog::WindowProc(msg, wParam, lParam);
}

bool CSystemSettingPage::OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) {
  CBitmapBtn* flipped = lParam == ui::HandleOf(&precision_)  ? &precision_
                        : lParam == ui::HandleOf(&onePage_) ? &onePage_
                                                             : nullptr;
  if (!flipped) return CPageDialog::OnCommand(wParam, lParam);
  flipped->SetCheckState(flipped->GetCheckState() ? 0 : 1);
  SaveModeInfo();
  AttachModeInfo(record_);
  return true;
}
