// The create and modify profile dialogs against a test skin.
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QTest>

#include <optional>
#include <string>

#include "pages/CreateProfileDialog.h"
#include "pages/SkinnedEdit.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"
#include "tests/pages/TestSkinFixture.h"

namespace {

using pagetest::Bytes;
using pagetest::ClickButton;
using pagetest::Patterned;
using settings::tagMODEINFO;

std::u16string Units(char16_t c, size_t n) { return std::u16string(n, c); }

QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }

void Key(QWidget* target, Qt::Key key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(target, &press);
}

class ProfileDialogTest : public pagetest::TestSkinFixture {
 protected:
  ProfileDialogTest()
      : boxes_([this](QWidget* parent, const QString& text) {
          boxes.push_back(text);
          boxParents.push_back(parent);
        }),
        files_([this](const ui::FileDialogOptions& o) {
          browsed.push_back(o);
          return chosen;
        }) {}

  // Runs the dialog of kind D on `record` and does `act` once it runs; the dialog's result.
  template <typename D>
  int Run(tagMODEINFO& record, std::function<void(D&)> act) {
    D dialog(ini, dir.Path(), QStringLiteral("CreateProfileDialog"), &record.profileName,
             &record.appPath, &owner);
    uitest::OnModal actor([&](QWidget*) { act(dialog); });
    const int result = dialog.DoModal();
    EXPECT_TRUE(actor.Ran());
    return result;
  }

  // A record with sentinels in every byte and the two texts stored.
  static tagMODEINFO WithTexts(const std::u16string& name, const std::u16string& path) {
    tagMODEINFO r = Patterned();
    settings::SetFieldText(r.profileName, name);
    settings::SetFieldText(r.appPath, path);
    return r;
  }

  std::vector<QString> boxes;
  std::vector<QWidget*> boxParents;
  std::vector<ui::FileDialogOptions> browsed;
  std::optional<QString> chosen;

 private:
  ui::ScopedMessageBoxHandler boxes_;
  ui::ScopedFileDialogHandler files_;
};

TEST_F(ProfileDialogTest, CreateWithOkUntouchedEmptiesBothFieldsAndNothingElse) {
  tagMODEINFO record = WithTexts(u"Game", u"/usr/games/game");
  tagMODEINFO expected = record;
  settings::SetFieldText(expected.profileName, u"");
  settings::SetFieldText(expected.appPath, u"");
  EXPECT_EQ(Run<CCreateProfileDialog>(record,
                                      [](CCreateProfileDialog& d) {
                                        EXPECT_TRUE(d.NameEdit().text().isEmpty());
                                        EXPECT_TRUE(d.PathEdit().text().isEmpty());
                                        ClickButton(d.OkButton());
                                      }),
            ui::IDOK);
  EXPECT_EQ(Bytes(record), Bytes(expected));
}

TEST_F(ProfileDialogTest, ModifyOpensWithTheStoredTextsSelectedAndTheNameFocused) {
  tagMODEINFO record = WithTexts(u"配置一", u"/opt/game/run");
  const tagMODEINFO before = record;
  Run<CModifyProfileDialog>(record, [](CModifyProfileDialog& d) {
    EXPECT_EQ(d.NameEdit().text(), "配置一");
    EXPECT_EQ(d.NameEdit().selectedText(), "配置一");
    EXPECT_EQ(d.PathEdit().text(), "/opt/game/run");
    EXPECT_EQ(d.PathEdit().selectedText(), "/opt/game/run");
    EXPECT_EQ(d.focusWidget(), &d.NameEdit());
    EXPECT_FALSE(d.NameEdit().hasFrame());
    EXPECT_FALSE(d.PathEdit().hasFrame());
    // The dark field's look that every small dialog's edits share.
    QLineEdit field;
    pages::SetFieldPalette(field);
    EXPECT_EQ(d.NameEdit().palette(), field.palette());
    EXPECT_EQ(d.PathEdit().palette(), field.palette());
    // The skin's places, in the dialog's own coordinates.
    EXPECT_EQ(d.NameEdit().geometry(), QRect(20, 30, 200, 22));
    EXPECT_EQ(d.PathEdit().geometry(), QRect(20, 70, 200, 22));
    EXPECT_EQ(d.BrowseButton().geometry(), QRect(240, 70, 50, 22));
    EXPECT_EQ(uitest::Render(d.BrowseButton()).pixel(0, 0), qRgb(240, 70, 0x80));
    ClickButton(d.OkButton());
  });
  EXPECT_EQ(Bytes(record), Bytes(before));
}

TEST_F(ProfileDialogTest, APathOf259UnitsIsStoredWholeBetweenUntouchedNeighbours) {
  std::u16string path = u"/";  // appended: GCC 12 at -O3 warns falsely on u"/" + a temporary
  path += Units(u'p', 258);
  chosen = Q(path);
  tagMODEINFO record = WithTexts(u"Name", u"");
  tagMODEINFO expected = record;
  settings::SetFieldText(expected.appPath, path);
  Run<CModifyProfileDialog>(record, [](CModifyProfileDialog& d) {
    ClickButton(d.BrowseButton());
    EXPECT_EQ(d.PathEdit().text().size(), 259);
    EXPECT_EQ(d.PathEdit().selectedText().size(), 259);
    ClickButton(d.OkButton());
  });
  EXPECT_EQ(Bytes(record), Bytes(expected));
  EXPECT_EQ(settings::FieldText(record.appPath), path);
  EXPECT_EQ(settings::FieldText(record.profileName), u"Name");
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ProfileDialogTest, BrowseAsksForAnExistingProgramAndOffersEveryFile) {
  tagMODEINFO record = WithTexts(u"", u"");
  chosen.reset();  // cancelled
  Run<CCreateProfileDialog>(record, [](CCreateProfileDialog& d) {
    d.PathEdit().SetTextSelected("typed");
    ClickButton(d.BrowseButton());
    EXPECT_EQ(d.PathEdit().text(), "typed");
    ClickButton(d.CancelButton());
  });
  ASSERT_EQ(browsed.size(), 1u);
  const ui::FileDialogOptions& o = browsed[0];
  EXPECT_EQ(o.kind, ui::FileDialogOptions::Kind::Open);
  EXPECT_EQ(o.parent, nullptr);
  EXPECT_EQ(o.defaultExtension, ".exe");
  EXPECT_EQ(o.initialName, "*.exe");
  EXPECT_EQ(o.filter, "所有文件(*)|*|exe file(*.exe)|*.exe|");
  EXPECT_TRUE(o.fileMustExist);
  EXPECT_TRUE(o.initialFolder.isEmpty());
}

TEST_F(ProfileDialogTest, AChosenPathTooLongForTheRecordIsRefusedWithABox) {
  for (size_t length : {260u, 400u}) {
    boxes.clear();
    std::u16string path = u"/";
    path += Units(u'x', length - 1);
    chosen = Q(path);
    tagMODEINFO record = WithTexts(u"Name", u"/old/path");
    const tagMODEINFO before = record;
    Run<CModifyProfileDialog>(record, [](CModifyProfileDialog& d) {
      ClickButton(d.BrowseButton());
      EXPECT_EQ(d.PathEdit().text(), "/old/path");
      ClickButton(d.OkButton());
    });
    EXPECT_EQ(boxes, std::vector<QString>{"程序路径过长！"}) << length;
    EXPECT_EQ(Bytes(record), Bytes(before)) << length;
  }
}

TEST_F(ProfileDialogTest, UnterminatedFieldsAreReadWithinTheirLength) {
  tagMODEINFO record = Patterned();
  for (char16_t& c : record.profileName) c = u'n';
  for (char16_t& c : record.appPath) c = u'q';
  tagMODEINFO expected = record;
  settings::SetFieldText(expected.profileName, Units(u'n', 259));
  settings::SetFieldText(expected.appPath, Units(u'q', 259));
  Run<CModifyProfileDialog>(record, [](CModifyProfileDialog& d) {
    EXPECT_EQ(d.NameEdit().text().size(), 260);
    EXPECT_EQ(d.PathEdit().text().size(), 260);
    ClickButton(d.OkButton());
  });
  // OK stores each within its field, with its terminator.
  EXPECT_EQ(Bytes(record), Bytes(expected));
}

TEST_F(ProfileDialogTest, CancelEscapeAndCloseAfterABrowseWriteNothing) {
  struct Case {
    const char* name;
    std::function<void(CModifyProfileDialog&)> end;
  } cases[] = {
      {"Cancel", [](CModifyProfileDialog& d) { ClickButton(d.CancelButton()); }},
      {"Escape", [](CModifyProfileDialog& d) { Key(&d.PathEdit(), Qt::Key_Escape); }},
      {"close", [](CModifyProfileDialog& d) { d.close(); }},
  };
  for (const Case& c : cases) {
    chosen = QStringLiteral("/usr/bin/env");
    tagMODEINFO record = WithTexts(u"Name", u"/old");
    const tagMODEINFO before = record;
    const int result = Run<CModifyProfileDialog>(record, [&](CModifyProfileDialog& d) {
      ClickButton(d.BrowseButton());
      EXPECT_EQ(d.PathEdit().text(), "/usr/bin/env") << c.name;
      d.NameEdit().SetTextSelected("Other");
      c.end(d);
    });
    EXPECT_EQ(result, ui::IDCANCEL) << c.name;
    EXPECT_EQ(Bytes(record), Bytes(before)) << c.name;
  }
}

TEST_F(ProfileDialogTest, EnterInAnEditMeansOk) {
  tagMODEINFO record = WithTexts(u"", u"");
  const int result = Run<CCreateProfileDialog>(record, [](CCreateProfileDialog& d) {
    QTest::keyClicks(&d.NameEdit(), "Shooter");
    QTest::keyClicks(&d.PathEdit(), "/usr/bin/shooter");
    Key(&d.PathEdit(), Qt::Key_Return);
  });
  EXPECT_EQ(result, ui::IDOK);
  EXPECT_EQ(settings::FieldText(record.profileName), u"Shooter");
  EXPECT_EQ(settings::FieldText(record.appPath), u"/usr/bin/shooter");
}

TEST_F(ProfileDialogTest, TheNameLimitBindsTypingAndPastingButKeepsALongerStoredName) {
  tagMODEINFO record = WithTexts(u"", u"");
  Run<CCreateProfileDialog>(record, [](CCreateProfileDialog& d) {
    LimitedLineEdit& name = d.NameEdit();
    QTest::keyClicks(&name, QString(30, u'a'));
    EXPECT_EQ(name.text().size(), 30);
    QTest::keyClicks(&name, "b");  // the 31st character
    EXPECT_EQ(name.text(), QString(30, u'a'));
    // A paste keeps what fits.
    name.setText(QString(27, u'a'));
    name.end(false);
    QGuiApplication::clipboard()->setText("xyz12");
    QTest::keySequence(&name, QKeySequence::Paste);
    EXPECT_EQ(name.text(), QString(27, u'a') + "xyz");
    EXPECT_EQ(name.cursorPosition(), 30);
    ClickButton(d.OkButton());
  });
  EXPECT_EQ(settings::FieldText(record.profileName), std::u16string(27, u'a') + u"xyz");

  const std::u16string forty = Units(u'n', 40);
  record = WithTexts(forty, u"/p");
  const tagMODEINFO before = record;
  Run<CModifyProfileDialog>(record, [](CModifyProfileDialog& d) {
    LimitedLineEdit& name = d.NameEdit();
    EXPECT_EQ(name.text().size(), 40);
    name.end(false);
    QTest::keyClicks(&name, "x");
    EXPECT_EQ(name.text().size(), 40);  // nothing more fits
    QTest::keyClick(&name, Qt::Key_Backspace);
    EXPECT_EQ(name.text().size(), 39);  // deleting always does
    QTest::keyClicks(&name, "n");
    EXPECT_EQ(name.text().size(), 39);
    name.SetTextSelected(QString::fromStdU16String(Units(u'n', 40)));
    ClickButton(d.OkButton());
  });
  EXPECT_EQ(Bytes(record), Bytes(before));
}

}  // namespace
