#include "pages/SensitivityPage.h"

#include <string>

#include "pages/PageSkin.h"
#include "skin/SkinValues.h"

namespace {

std::u16string Key(const char16_t* prefix, int n) {
  return prefix + QString::number(n).toStdU16String();
}

// Both sliders carry control id 1.
constexpr int kSliderId = 1;
// A value label lies this far below its value button.
constexpr int kLabelDrop = 11;
constexpr int kLabelFontHeight = 10;

}  // namespace

CSensitivityPage::CSensitivityPage(const CINIFile& skinFile, const QString& imageFolder,
                                   const QString& section, QWidget* parent)
    : CPageDialog(Kind::Page, skinFile, imageFolder, section, parent) {}

CSensitivityPage::~CSensitivityPage() = default;

bool CSensitivityPage::LoadSkin() {
  const bool result = CPageDialog::LoadSkin();
  const pages::PageSheets sheets = pages::PageSheets::Load(*this);
  const QString yThumb = skin::SkinImagePath(ImageFolder(), SkinFile(), Section(), u"SliderUpBKImage");
  const QString xThumb =
      skin::SkinImagePath(ImageFolder(), SkinFile(), Section(), u"SliderDownBKImage");

  const auto makeSlider = [&](CPngHSliderBar& slider, std::u16string_view key,
                              const QString& thumb) {
    const QRect r = pages::ReadPageRect(*this, key);
    const QRect placed = pages::ToPageRect(*this, r);
    slider.Create(thumb, placed, this, kSliderId);
    slider.SetTrackRect(placed.left(), placed.top(), placed.left() + placed.width(),
                        placed.top() + placed.height());
    slider.SetRange(0, pages::kSensitivityMax);
    slider.SetBackground(r.x(), r.y(), r.width(), r.height(), &sheets.normal);
  };
  makeSlider(xSlider_, u"Sliderbar_CPI_X_Rect", xThumb);
  makeSlider(ySlider_, u"Sliderbar_CPI_Y_Rect", yThumb);
  ySlider_.SetAlign(1);
  ySlider_.SetPos(0);

  pages::CreatePageButton(sync_, *this, u"Key_X_Y_SYN_Rect", sheets);
  for (int level = 0; level < kLevels; ++level) {
    pages::CreatePageButton(levels_[level], *this, Key(u"KeyDPIRect_", level + 1), sheets);
    pages::CreatePageButton(displays_[level], *this, Key(u"KeyDPIEditRect_", level + 1), sheets);
    for (int value = 0; value < kValues; ++value) {
      const std::u16string key = Key(u"KeyDPILevel", level + 1) + u"_" +
                                 QString::number(value + 1).toStdU16String();
      const QRect r =
          pages::CreatePageButton(ValueButton(level, value), *this, std::u16string_view(key), sheets);
      CBitmapBtn& label = ValueLabel(level, value);
      pages::CreatePageButton(label, *this, r.translated(0, kLabelDrop), sheets);
      label.SetFontHeight(kLabelFontHeight);
      SetDpiText(value, label);
    }
  }
  levels_[0].SetCheckState(1);
  return result;
}

void CSensitivityPage::SetDpiText(int index, CBitmapBtn& button) {
  if (const char16_t* text = pages::DpiText(index)) {
    button.SetCaption(QString::fromUtf16(text), 0, 1);
  }
}

void CSensitivityPage::ShowCurrentLevel() {
  for (int level = 0; level < kLevels; ++level) {
    levels_[level].SetCheckState(level == currentLevel_ ? 1 : 0);
  }
}

pages::SensitivityControls CSensitivityPage::Controls() const {
  pages::SensitivityControls c;
  c.x = xSlider_.GetPos();
  c.y = ySlider_.GetPos();
  c.sync = sync_.GetCheckState() != 0;
  for (int level = 0; level < kLevels; ++level) c.valueIndex[level] = valueIndex_[level];
  c.currentLevel = currentLevel_;
  return c;
}

void CSensitivityPage::SetControls(const pages::SensitivityControls& c) {
  xSlider_.SetPos(c.x);
  ySlider_.SetPos(c.y);
  for (int level = 0; level < kLevels; ++level) valueIndex_[level] = c.valueIndex[level];
  currentLevel_ = c.currentLevel;
  ShowCurrentLevel();
  for (int level = 0; level < kLevels; ++level) {
    for (int value = 0; value < kValues; ++value) {
      ValueButton(level, value).SetCheckState(value == valueIndex_[level] ? 1 : 0);
    }
    SetDpiText(valueIndex_[level], displays_[level]);
  }
  sync_.SetCheckState(c.sync ? 1 : 0);
}

void CSensitivityPage::AttachModeInfo(settings::tagMODEINFO* record) {
  record_ = record;
  if (record_) SetControls(pages::ShowSensitivity(*record_));
}

void CSensitivityPage::SaveSensitivity() {
  if (record_) pages::SaveSensitivity(Controls(), *record_);
}

void CSensitivityPage::StoreAndShow(const pages::SensitivityControls& controls) {
  SetControls(controls);
  SaveSensitivity();
  AttachModeInfo(record_);
}

bool CSensitivityPage::OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) {
  const QObject* sender = ui::ObjectFromHandle(lParam);
  pages::SensitivityControls c = Controls();
  if (sender == &sync_) {
    pages::ClickSync(c);
    StoreAndShow(c);
    return true;
  }
  for (int level = 0; level < kLevels; ++level) {
    if (sender == &levels_[level]) {
      c.currentLevel = level;
      StoreAndShow(c);
      return true;
    }
    for (int value = 0; value < kValues; ++value) {
      if (sender == &ValueButton(level, value)) {
        c.valueIndex[level] = value;
        StoreAndShow(c);
        return true;
      }
    }
  }
  // The level displays and the value labels do nothing.
  return CPageDialog::OnCommand(wParam, lParam);
}

ui::LRESULT CSensitivityPage::WindowProc(uint32_t msg, ui::WPARAM wParam, ui::LPARAM lParam) {
  if (msg == WM_PNGSLIDER_POS) return OnSliderPos(wParam, lParam);
  return CPageDialog::WindowProc(msg, wParam, lParam);
}

ui::LRESULT CSensitivityPage::OnSliderPos(ui::WPARAM, ui::LPARAM lParam) {
  const QObject* slider = ui::ObjectFromHandle(lParam);
  pages::SensitivityControls c = Controls();
  if (slider == &xSlider_) {
    pages::ReleaseSlider(c, pages::SensitivityAxis::X, xSlider_.GetPos());
  } else if (slider == &ySlider_) {
    pages::ReleaseSlider(c, pages::SensitivityAxis::Y, ySlider_.GetPos());
  } else {
    return 0;
  }
  StoreAndShow(c);
  return 0;
}
