#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include <functional>

#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/QtTranslation.h"
#include "tests/platform/ui/QtTestSupport.h"

namespace {

using uitest::OnModal;

TEST(MessageBoxTest, RealBoxShowsNoTitleAndOneOkButtonAndIsWideEnoughForItsFrame) {
  const QString longText(80, QChar(u'错'));
  for (const QString& shown : {QStringLiteral("配置文件错误！"), longText}) {
    QString title = "unset", text;
    QMessageBox::StandardButtons buttons;
    int width = 0, textWidth = 0;
    OnModal actor([&](QWidget* w) {
      auto* box = qobject_cast<QMessageBox*>(w);
      ASSERT_NE(box, nullptr);
      title = box->windowTitle();
      text = box->text();
      buttons = box->standardButtons();
      width = box->width();
      textWidth = box->fontMetrics().horizontalAdvance(box->text());
      box->button(QMessageBox::Ok)->click();
    });
    ui::MessageBox(nullptr, shown);
    // Not empty, which the X11 windows would show as the application's name.
    EXPECT_FALSE(title.isEmpty());
    EXPECT_TRUE(title.trimmed().isEmpty()) << title.toStdString();
    EXPECT_EQ(text, shown);
    EXPECT_EQ(buttons, QMessageBox::Ok);
    EXPECT_GE(width, ui::kMessageBoxMinimumWidth);
    if (shown == longText) EXPECT_GT(width, ui::kMessageBoxMinimumWidth + 100) << "the text's room";
    else EXPECT_GT(width, textWidth);
  }
}

// Counts the times a window is blocked by a modal window.
class BlockCounter : public QObject {
 public:
  explicit BlockCounter(QWidget& window) { window.installEventFilter(this); }
  int blocked = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::WindowBlocked) ++blocked;
    return false;
  }
};

TEST(MessageBoxTest, BlocksOnlyTheWindowOfItsParent) {
  // The parent's window, and a window of no parent as the tray icon and its menu are.
  QWidget main;
  QWidget tray;
  main.show();
  tray.show();
  struct Case {
    const char* name;
    QWidget* parent;
    bool mainBlocked;
  } cases[] = {
      {"parent", &main, true},
      {"no parent", nullptr, false},
  };
  for (const Case& c : cases) {
    BlockCounter mainCount(main), trayCount(tray);
    Qt::WindowModality modality = Qt::NonModal;
    OnModal actor([&](QWidget* w) {
      modality = w->windowModality();
      static_cast<QMessageBox*>(w)->accept();
    });
    ui::MessageBox(c.parent, QStringLiteral("配置文件错误！"));
    EXPECT_TRUE(actor.Ran()) << c.name;
    EXPECT_EQ(modality, Qt::WindowModal) << c.name;
    EXPECT_EQ(mainCount.blocked > 0, c.mainBlocked) << c.name;
    EXPECT_EQ(trayCount.blocked, 0) << c.name;
  }
}

TEST(MessageBoxTest, HandlerReplacesTheBoxWhileInstalled) {
  QStringList shown;
  {
    ui::ScopedMessageBoxHandler handler([&](QWidget*, const QString& t) { shown << t; });
    ui::MessageBox(nullptr, QStringLiteral("one"));
    ui::MessageBox(nullptr, QStringLiteral("two"));
  }
  EXPECT_EQ(shown, (QStringList{"one", "two"}));
  bool real = false;
  OnModal actor([&](QWidget* w) {
    real = qobject_cast<QMessageBox*>(w) != nullptr;
    static_cast<QMessageBox*>(w)->accept();
  });
  ui::MessageBox(nullptr, QStringLiteral("three"));
  EXPECT_TRUE(real);
}

TEST(FileDialogTest, BarFiltersBecomeNameFilters) {
  struct Case {
    QString bars;
    QStringList filters;
  } cases[] = {
      {"Gaming Mouse Profile(*.gmp)|*.gmp|", {"Gaming Mouse Profile(*.gmp) (*.gmp)"}},
      {"exe file(*.exe)|*.exe|", {"exe file(*.exe) (*.exe)"}},
      {"Images|*.png;*.bmp|All|*.*||", {"Images (*.png *.bmp)", "All (*.*)"}},
      {"", {}},
      {"dangling", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ui::NameFiltersFromBars(c.bars), c.filters);
}

TEST(FileDialogTest, TheListOfFiltersNamesEachDescriptionOnce) {
  struct Case {
    QString bars;
    QStringList shown;
  } cases[] = {
      {"所有文件(*)|*|exe file(*.exe)|*.exe|", {"所有文件(*)", "exe file(*.exe)"}},
      {"Gaming Mouse Profile(*.gmp)|*.gmp|", {"Gaming Mouse Profile(*.gmp)"}},
  };
  for (const Case& c : cases) {
    QStringList shown;
    OnModal actor([&](QWidget* w) {
      if (auto* combo = w->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
        for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
      }
      static_cast<QDialog*>(w)->reject();
    });
    ui::FileDialogOptions options;
    options.kind = ui::FileDialogOptions::Kind::Open;
    options.filter = c.bars;
    ui::GetFileName(options);
    EXPECT_EQ(shown.join(u'|').toStdString(), c.shown.join(u'|').toStdString());
  }
}

TEST(FileDialogTest, RealDialogTakesTheOptionsAndGivesTheChosenPath) {
  uitest::TempDir dir;
  dir.Write("Cfg/one.gmp", "x");
  ui::FileDialogOptions options;
  options.kind = ui::FileDialogOptions::Kind::Save;
  options.defaultExtension = ".gmp";
  options.initialName = "*.gmp";
  options.filter = "Gaming Mouse Profile(*.gmp)|*.gmp|";
  options.initialFolder = dir.File("Cfg");
  options.overwritePrompt = true;

  QString suffix, folder;
  QStringList filters;
  bool save = false, confirms = false;
  std::optional<OnModal> actor;
  actor.emplace([&](QWidget* w) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    suffix = dialog->defaultSuffix();
    folder = dialog->directory().absolutePath();
    filters = dialog->nameFilters();
    save = dialog->acceptMode() == QFileDialog::AcceptSave;
    confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
    dialog->selectFile(dir.File("Cfg/two.gmp"));
    static_cast<QDialog*>(dialog)->accept();
  });
  const std::optional<QString> chosen = ui::GetFileName(options);
  EXPECT_EQ(suffix, "gmp");
  EXPECT_EQ(folder, dir.File("Cfg"));
  EXPECT_EQ(filters, QStringList{"Gaming Mouse Profile(*.gmp) (*.gmp)"});
  EXPECT_TRUE(save);
  EXPECT_TRUE(confirms);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, dir.File("Cfg/two.gmp"));

  actor.emplace([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
  EXPECT_FALSE(ui::GetFileName(options).has_value());
}

TEST(FileDialogTest, OpenDialogNeverTurnsAChosenFileIntoOneThatDoesNotExist) {
  uitest::TempDir dir;
  dir.Write("bin/tool", "x");      // a program without extension
  dir.Write("bin/game.exe", "x");
  dir.Write("bin/setup.exe", "x");
  struct Case {
    const char* chosen;
    bool fileMustExist;
    const char* path;  // empty: cancelled
  } cases[] = {
      {"bin/tool", true, "bin/tool"},
      {"bin/game.exe", true, "bin/game.exe"},
      // A name that is not found gets the default extension when that names a file.
      {"bin/setup", true, "bin/setup.exe"},
      {"bin/setup", false, "bin/setup.exe"},
      {"bin/other", false, "bin/other"},
  };
  for (const Case& c : cases) {
    ui::FileDialogOptions options;
    options.kind = ui::FileDialogOptions::Kind::Open;
    options.defaultExtension = ".exe";
    options.initialName = "*.exe";
    options.filter = "exe file(*.exe)|*.exe|All files(*)|*|";
    options.fileMustExist = c.fileMustExist;
    options.initialFolder = dir.File("bin");
    std::optional<OnModal> actor;
    actor.emplace([&](QWidget* w) {
      auto* dialog = qobject_cast<QFileDialog*>(w);
      ASSERT_NE(dialog, nullptr);
      dialog->selectFile(dir.File(c.chosen));
      static_cast<QDialog*>(dialog)->accept();
    });
    const std::optional<QString> chosen = ui::GetFileName(options);
    ASSERT_TRUE(chosen.has_value()) << c.chosen;
    EXPECT_EQ(*chosen, dir.File(c.path)) << c.chosen;
  }
}

TEST(FileDialogTest, HandlerAnswersInsteadOfTheDialog) {
  ui::FileDialogOptions seen;
  ui::ScopedFileDialogHandler handler([&](const ui::FileDialogOptions& o) {
    seen = o;
    return std::optional<QString>("/tmp/x.exe");
  });
  ui::FileDialogOptions options;
  options.filter = "exe file(*.exe)|*.exe|";
  options.fileMustExist = true;
  EXPECT_EQ(ui::GetFileName(options), std::optional<QString>("/tmp/x.exe"));
  EXPECT_EQ(seen.filter, options.filter);
  EXPECT_TRUE(seen.fileMustExist);
}

// What the boxes and the file dialogs say, in the translation installed so far.
struct QtTexts {
  QString boxButton;
  QString fileTypeLabel;
  QString openButton;
};
QtTexts ShownTexts() {
  QtTexts texts;
  std::optional<OnModal> actor;
  actor.emplace([&](QWidget* w) {
    auto* box = static_cast<QMessageBox*>(w);
    texts.boxButton = box->button(QMessageBox::Ok)->text();
    box->accept();
  });
  ui::MessageBox(nullptr, QStringLiteral("配置文件错误！"));
  actor.emplace([&](QWidget* w) {
    if (auto* label = w->findChild<QLabel*>(QStringLiteral("fileTypeLabel")))
      texts.fileTypeLabel = label->text();
    if (auto* buttons = w->findChild<QDialogButtonBox*>())
      texts.openButton = buttons->button(QDialogButtonBox::Open)->text();
    static_cast<QDialog*>(w)->reject();
  });
  ui::FileDialogOptions options;
  options.kind = ui::FileDialogOptions::Kind::Open;
  ui::GetFileName(options);
  return texts;
}

TEST(QtTranslationTest, AMissingFileKeepsQtsEnglishAndQtsOwnGivesChinese) {
  uitest::TempDir empty;
  EXPECT_FALSE(ui::InstallQtTranslation(QStringLiteral("zh_CN"), empty.Path()));
  QtTexts texts = ShownTexts();
  EXPECT_EQ(texts.boxButton, QStringLiteral("OK"));
  EXPECT_EQ(texts.fileTypeLabel, QStringLiteral("Files of type:"));

  ASSERT_TRUE(ui::InstallQtTranslation(QStringLiteral("zh_CN"), ui::QtTranslationsFolder()))
      << "qtbase_zh_CN.qm is not in " << ui::QtTranslationsFolder().toStdString();
  texts = ShownTexts();
  EXPECT_EQ(texts.boxButton, QStringLiteral("确定"));
  EXPECT_EQ(texts.fileTypeLabel, QStringLiteral("文件类型："));
  EXPECT_EQ(texts.openButton, QStringLiteral("打开(&O)"));
  // Once per process: a second call keeps the one installed.
  EXPECT_TRUE(ui::InstallQtTranslation(QStringLiteral("zh_CN"), empty.Path()));
}

}  // namespace
