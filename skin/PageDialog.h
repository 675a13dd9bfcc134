#pragma once

#include <QBrush>
#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>
#include <string_view>

#include "platform/ui/WindowMessage.h"
#include "resources/INIFile.h"

// The base of every settings page and of the small skinned dialogs. The window takes its place,
// background, shape and visibility from one section of the skin file:
//   "WindowsRect"          x, y, w, h in the parent's client coordinates (screen coordinates
//                          for a top-level dialog);
//   "NormalImage"          the sheet the background is cut from, at the same x, y, w, h;
//   "BackGroundMaskImage"  the mask that gives the window its shape (see ui::IsMaskHole);
//   "Visable"              the window is shown by ShowPage only when the value is above 0.
// Window messages reach WindowProc; WM_COMMAND goes on to OnCommand, whose lParam is the
// sending control's handle (ui::HandleOf).
class CPageDialog : public QDialog {
 public:
  enum class Kind {
    Page,    // a child window placed in its parent's client area
    Dialog,  // a borderless top-level window, shown modally or modeless
  };

  CPageDialog(Kind kind, const CINIFile& skinFile, const QString& imageFolder,
              const QString& section, QWidget* parent);
  ~CPageDialog() override;

  // Initialises the window once (OnInitDialog); later calls do nothing. Pages call it after
  // construction; DoModal calls it itself. The show of LoadSkin waits until the initialisation
  // has ended, so that the controls it makes are made in a window not on the screen yet.
  void Create();
  // Initialises the window and runs it modally; the result is the code it ended with
  // (ui::IDOK, ui::IDCANCEL).
  int DoModal();

  // Positions the window, cuts its background, shapes it, reads its visibility and shows it.
  // False when the background sheet does not load; then nothing but the position is changed.
  virtual bool LoadSkin();
  // Shows the window with `showCommand` (ui::SW_SHOW...) when its skin lets it be visible, else
  // hides it.
  virtual void ShowPage(int showCommand);

  // The brush painted behind the window; Qt::NoBrush until a background has loaded.
  const QBrush& BackgroundBrush() const { return backgroundBrush_; }
  const QString& ImageFolder() const { return imageFolder_; }
  const QString& Section() const { return section_; }
  const CINIFile& SkinFile() const { return skinFile_; }
  bool IsPageVisible() const { return visible_ != 0; }
  // Whether the window has been initialised (Create, DoModal).
  bool Initialised() const { return initialised_; }

  // The sheet "NormalImage" that LoadSkin decoded for the background, handed on once to the
  // code that cuts the controls from it (a null image when it did not load); it is decoded here
  // when LoadSkin has not decoded it. LoadSkin's sheet is let go once the window is
  // initialised, whether it was taken or not.
  QImage TakeNormalSheet();

 protected:
  // Runs LoadSkin; returns true.
  virtual bool OnInitDialog();
  // The window's message handler. The base passes WM_COMMAND to OnCommand and starts dragging
  // the window on WM_NCLBUTTONDOWN with HTCAPTION; other messages give 0.
  virtual ui::LRESULT WindowProc(uint32_t msg, ui::WPARAM wParam, ui::LPARAM lParam);
  // True when the command was handled.
  virtual bool OnCommand(ui::WPARAM wParam, ui::LPARAM lParam);
  virtual void OnOK();
  virtual void OnCancel();
  // A left press on the window's own background (not on a control), in client coordinates:
  // posted on to the parent as WM_LBUTTONDOWN, which drags the main window for a page.
  virtual void OnLButtonDown(ui::WPARAM flags, const QPoint& point);

  // Values of this window's section.
  QRect ReadSkinRect(std::u16string_view key) const;
  int ReadSkinInt(std::u16string_view key) const;
  QImage LoadSkinImage(std::u16string_view key) const;

  void SetBackgroundBrush(const QBrush& brush);
  void SetPageVisible(bool visible) { visible_ = visible ? 1 : 0; }

  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void reject() override;

 private:
  Kind kind_;
  QBrush backgroundBrush_;
  QString imageFolder_;
  QString section_;
  CINIFile skinFile_;
  int visible_ = 1;
  bool initialised_ = false;
  bool initialising_ = false;        // within Create
  bool showWhenInitialised_ = false;  // LoadSkin's show, once Create has ended
  QPoint lastPressGlobal_;
  std::optional<QImage> normalSheet_;  // LoadSkin's until it is taken
};
