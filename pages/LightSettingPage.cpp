#include "pages/LightSettingPage.h"

#include "pages/PageSkin.h"

namespace {

using pages::LightButton;

// The controls' rectangles in the order they are created.
constexpr std::u16string_view kButtonKeys[] = {
    u"KeyLightSwitchONRect",     u"KeyLightSwitchOFFRect", u"KeyLightEffectTypeFullRect",
    u"KeyLightEffectTypeBreathingRect",
    u"KeyBlueRect",              u"KeyPinkRect",           u"KeyRedRect",
    u"KeyOrangeRect",            u"KeyGreenRect",          u"KeyCyanRect",
    u"KeyWhiteRect",             u"KeyCycleRect",          u"InterruptOrNotRect",
};
constexpr std::u16string_view kSliderKeys[] = {
    u"ChangeTimeRect", u"OFFTimeRect", u"StayTimeRect", u"StartTimeRect"};

}  // namespace

CLightSettingPage::CLightSettingPage(const CINIFile& skinFile, const QString& imageFolder,
                                     const QString& section, QWidget* parent)
    : CPageDialog(Kind::Page, skinFile, imageFolder, section, parent) {}

CLightSettingPage::~CLightSettingPage() = default;

bool CLightSettingPage::OnInitDialog() {
  CPageDialog::OnInitDialog();
  // The looks until a record is attached.
  Button(LightButton::On).SetCheckState(1);
  Button(LightButton::Breathing).SetCheckState(1);
  Button(LightButton::Red).SetCheckState(1);
  return true;
}

bool CLightSettingPage::LoadSkin() {
  const bool result = CPageDialog::LoadSkin();
  const pages::PageSheets sheets = pages::PageSheets::Load(*this);
  for (int i = 0; i < kButtonCount; ++i) {
    pages::CreatePageButton(buttons_[i], *this, kButtonKeys[i], sheets);
  }
  for (int i = 0; i < kSliderCount; ++i) {
    pages::CreatePageMarker(sliders_[i], *this, kSliderKeys[i], 0, pages::kLightTimeMax, sheets);
  }
  return result;
}

pages::LightControls CLightSettingPage::Controls() const {
  const auto checked = [this](LightButton b) {
    return buttons_[static_cast<int>(b)].GetCheckState() != 0;
  };
  pages::LightControls c;
  c.on = checked(LightButton::On);
  c.off = checked(LightButton::Off);
  c.full = checked(LightButton::Full);
  c.breathing = checked(LightButton::Breathing);
  for (int i = 0; i < pages::kLightColourCount; ++i) {
    c.colours[i] = checked(static_cast<LightButton>(static_cast<int>(LightButton::Blue) + i));
  }
  c.cycle = checked(LightButton::Cycle);
  c.interrupt = checked(LightButton::Interrupt);
  c.changeTime = sliders_[0].Value();
  c.offTime = sliders_[1].Value();
  c.stayTime = sliders_[2].Value();
  c.startTime = sliders_[3].Value();
  return c;
}

void CLightSettingPage::SetControls(const pages::LightControls& c) {
  const auto check = [this](LightButton b, bool on) {
    buttons_[static_cast<int>(b)].SetCheckState(on ? 1 : 0);
  };
  check(LightButton::On, c.on);
  check(LightButton::Off, c.off);
  check(LightButton::Full, c.full);
  check(LightButton::Breathing, c.breathing);
  for (int i = 0; i < pages::kLightColourCount; ++i) {
    check(static_cast<LightButton>(static_cast<int>(LightButton::Blue) + i), c.colours[i]);
  }
  check(LightButton::Cycle, c.cycle);
  check(LightButton::Interrupt, c.interrupt);
  sliders_[0].SetPos(c.changeTime);
  sliders_[1].SetPos(c.offTime);
  sliders_[2].SetPos(c.stayTime);
  sliders_[3].SetPos(c.startTime);
}

void CLightSettingPage::SetLightData(settings::tagLIGHTINFO* light) {
  light_ = light;
  if (!light_) return;
  pages::LightControls c = Controls();
  pages::ShowLightData(*light_, c);
  SetControls(c);
}

void CLightSettingPage::SaveLightData() {
  if (light_) pages::SaveLightData(Controls(), *light_);
}

void CLightSettingPage::SelectColor(uint32_t value) {
  pages::LightControls c = Controls();
  pages::SelectColor(c, value);
  SetControls(c);
}

uint32_t CLightSettingPage::GetSelectedColor() const { return pages::GetSelectedColor(Controls()); }

void CLightSettingPage::UncheckColors() {
  pages::LightControls c = Controls();
  pages::UncheckColors(c);
  SetControls(c);
}

void CLightSettingPage::StoreAndShow() {
  SaveLightData();
  SetLightData(light_);
}

bool CLightSettingPage::OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) {
  const QObject* sender = ui::ObjectFromHandle(lParam);
  for (int i = 0; i < kButtonCount; ++i) {
    if (sender != &buttons_[i]) continue;
    pages::LightControls c = Controls();
    pages::ClickLightButton(c, static_cast<LightButton>(i));
    SetControls(c);
    StoreAndShow();
    return true;
  }
  return CPageDialog::OnCommand(wParam, lParam);
}

ui::LRESULT CLightSettingPage::WindowProc(uint32_t msg, ui::WPARAM wParam, ui::LPARAM lParam) {
  if (msg == WM_MARKER_POS) return OnMarkerPos(wParam, lParam);
  return CPageDialog::WindowProc(msg, wParam, lParam);
}

ui::LRESULT CLightSettingPage::OnMarkerPos(ui::WPARAM, ui::LPARAM) {
  StoreAndShow();
  return 0;
}
