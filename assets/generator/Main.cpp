// Draws the default skin into the folder given as the only argument.
//
// Each window's section is one function below; a new window adds its function (in a file of
// its own, drawing with theme::) to kSections. The program's icons are drawn beside the skin.
#include <QGuiApplication>

#include <cstdio>

#include "AdvanceTabAndProfileDialog.h"
#include "AssignDialogs.h"
#include "Icons.h"
#include "KeyDefineSettingPage.h"
#include "LightSettingPage.h"
#include "MacroManagerDialog.h"
#include "MainWindow.h"
#include "MousePicturePage.h"
#include "PopupMenus.h"
#include "SensitivityPage.h"
#include "SkinWriter.h"
#include "SmallDialogs.h"

namespace {
using SectionWriter = void (*)(SkinWriter&);
const SectionWriter kSections[] = {
    WriteProductId,
    WriteMainWindow,
    WriteWarningDialogs,
    WriteProgressDialog,
    WritePopupMenuSheets,
    WriteEventIcons,
    WriteMacroManagerDialog,
    WriteMousePicturePage,
    WriteLightSettingPage,
    WriteSensitivitySettingPage,
    WriteSystemSettingPage,
    WriteAdvanceSettingPage,
    WriteCreateProfileDialog,
    WriteKeyDefineSettingPage,
    WriteAssignAShortcutDialg,
    WriteAssignAProgramToExecutonDialg,
};
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s PROGRAM_FOLDER\n", argv[0]);
    return 2;
  }
  QGuiApplication app(argc, argv);  // fonts for the captions
  SkinWriter skin(QString::fromLocal8Bit(argv[1]));
  for (SectionWriter write : kSections) write(skin);
  if (!skin.Finish() || !WriteIcons(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "%s: the skin could not be written\n", argv[0]);
    return 1;
  }
  return 0;
}
