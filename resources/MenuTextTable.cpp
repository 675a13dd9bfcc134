#include "resources/MenuTextTable.h"

// Defined in this order so that the document exists before the texts, and outlives them.
CXmlDoc LanguageDoc;
std::array<std::u16string, kMenuTextCount> MenuTextTable;

const std::array<MenuTextKey, kMenuTextCount> kMenuTextKeys = {{
    {u"BMPMENU", u"MAJOR_FUN_MACRO"},
    {u"BMPMENU", u"MAJOR_FUN_MEDIA"},
    {u"BMPMENU", u"MAJOR_FUN_CONFIGFILE"},
    {u"BMPMENU", u"MAJOR_FUN_DPI"},
    {u"BMPMENU", u"MAJOR_FUN_WINDOWS"},
    {u"BMPMENU", u"MAJOR_FUN_LEFT_MOUSE_KEY"},
    {u"BMPMENU", u"MAJOR_FUN_RIGHT_MOUSE_KEY"},
    {u"BMPMENU", u"MAJOR_FUN_MIDDLE_MOUSE_KEY"},
    {u"BMPMENU", u"MAJOR_FUN_LEFT_DOUBLECLICK_MOUSE_KEY"},
    {u"BMPMENU", u"MAJOR_FUN_ASSIGN_SHORTCUT"},
    {u"BMPMENU", u"MAJOR_FUN_OFF"},
    {u"BMPMENU", u"MAJOR_FUN_FORWARD_MOUSE_KEY"},
    {u"BMPMENU", u"MAJOR_FUN_BACKWARD_MOUSE_KEY"},
    {u"BMPMENU", u"MAJOR_FUN_SCROLL_UP"},
    {u"BMPMENU", u"MAJOR_FUN_SCROLL_DOWN"},
    {u"BMPMENU", u"MAJOR_FUN_SCROLL_LEFT"},
    {u"BMPMENU", u"MAJOR_FUN_SCROLL_RIGHT"},
    {u"BMPMENU", u"MAJOR_FUN_ASSIGN_PROGRAM_TO_EXECUTION"},
    {u"BMPMENU", u"MAJOR_FUN_FIRE_KEY"},
    {u"BMPMENU", u"MAJOR_FUN_COMBINATION_KEY"},
    {u"BMPMENU", u"MAJOR_FUN_WIN_KEY"},
    {u"BMPMENU", u"MAJOR_FUN_SHOW_DRIVER"},
    {u"BMPMENU", u"MAJOR_MACRO_AT_BEFORE_RECORD"},
    {u"BMPMENU", u"MAJOR_MACRO_AT_AFTER_RECORD"},
    {u"BMPMENU", u"MAJOR_MACRO_INSERT_DELAY"},
    {u"BMPMENU", u"MAJOR_MACRO_EDIT_DELAY"},
    {u"BMPMENU", u"MAJOR_MACRO_INSERT_MOUSE_KEY"},
    {u"BMPMENU", u"MAJOR_MACRO_DELETE"},
    {u"BMPMENU", u"MINOR_FUN_MACRO_ITEM"},
    {u"BMPMENU", u"MINOR_FUN_MACRO_MANAGER"},
    {u"BMPMENU", u"MINOR_FUN_MEDIA_OPEN_PLAYER"},
    {u"BMPMENU", u"MINOR_FUN_MEDIA_BACKWARD_KEY"},
    {u"BMPMENU", u"MINOR_FUN_MEDIA_FORWARD_KEY"},
    {u"BMPMENU", u"MINOR_FUN_MEDIA_PLAY_PAUSE"},
    {u"BMPMENU", u"MINOR_FUN_MEDIA_STOP"},
    {u"BMPMENU", u"MINOR_FUN_MEDIA_MUTE"},
    {u"BMPMENU", u"MINOR_FUN_MEDIA_VOLUME_PLUS"},
    {u"BMPMENU", u"MINOR_FUN_MEDIA_VOLUME_MINUS"},
    {u"BMPMENU", u"MINOR_FUN_CONFIGFILE_CIRCLE"},
    {u"BMPMENU", u"MINOR_FUN_CONFIGFILE_PLUS"},
    {u"BMPMENU", u"MINOR_FUN_CONFIGFILE_MINUS"},
    {u"BMPMENU", u"MINOR_FUN_DPI_CIRCLE"},
    {u"BMPMENU", u"MINOR_FUN_DPI_PLUS"},
    {u"BMPMENU", u"MINOR_FUN_DPI_MINUS"},
    {u"BMPMENU", u"MINOR_FUN_WINDOWS_CALC"},
    {u"BMPMENU", u"MINOR_FUN_WINDOWS_EMAIL"},
    {u"BMPMENU", u"MINOR_FUN_WINDOWS_BROWSER_FAVORITES"},
    {u"BMPMENU", u"MINOR_FUN_WINDOWS_BROWSER_FORWARD"},
    {u"BMPMENU", u"MINOR_FUN_WINDOWS_BROWSER_BACKWARED"},
    {u"BMPMENU", u"MINOR_FUN_WINDOWS_BROWSER_STOP"},
    {u"BMPMENU", u"MINOR_FUN_WINDOWS_MYCOMPUTER"},
    {u"BMPMENU", u"MINOR_FUN_WINDOWS_BROWSER_REFRESH"},
    {u"BMPMENU", u"MINOR_FUN_WINDOWS_BROWSER_HOMEPAGE"},
    {u"BMPMENU", u"MINOR_FUN_WINDOWS_BROWSER_FIND"},
    {u"BMPMENU", u"MINOR_MACRO_INSERT_MOUSE_KEY_LEFT"},
    {u"BMPMENU", u"MINOR_MACRO_INSERT_MOUSE_KEY_MIDDLE"},
    {u"BMPMENU", u"MINOR_MACRO_INSERT_MOUSE_KEY_RIGHT"},
    {u"BMPMENU", u"MINOR_MACRO_INSERT_MOUSE_KEY_FORWARD"},
    {u"BMPMENU", u"MINOR_MACRO_INSERT_MOUSE_KEY_BACKWARED"},
    {u"BMPMENU", u"SUBMINOR_MACRO_INSERT_MOUSE_KEY_DOWN"},
    {u"BMPMENU", u"SUBMINOR_MACRO_INSERT_MOUSE_KEY_UP"},
    {u"BMPMENU", u"SUBMINOR_MACRO_INSERT_MOUSE_KEY_CLICK"},
    {u"TaskBar", u"ShowMainPanel"},
    {u"TaskBar", u"EnableAutoRun"},
    {u"TaskBar", u"Exit"},
    {u"TaskBar", u"ProfileChangeTitle"},
    {u"TaskBar", u"ProfileChangeInfo"},
    {u"TaskBar", u"DPIChangeTitle"},
    {u"TaskBar", u"DPIChangeInfo"},
    {u"TaskBar", u"OpenDeviceWarning"},
    {u"TaskBar", u"MacroDeleteMsg"},
    {u"TaskBar", u"MacroReNameMsg"},
}};

std::u16string LookupText(std::u16string_view group, std::u16string_view key) {
  LanguageDoc.ResetPos();
  // From the reset position the root is taken first and the group is looked for among its
  // children. When the key is not in the group, the search goes on among the group's own
  // children, so a nested group of the same name is tried next.
  while (LanguageDoc.FindChildElem(group)) {
    LanguageDoc.IntoElem();
    if (LanguageDoc.FindChildElem(key)) return LanguageDoc.GetChildData();
  }
  return {};
}

int LoadMenuTexts(std::u16string_view path) {
  if (!LanguageDoc.Load(path)) return 0;
  for (size_t i = 0; i < kMenuTextKeys.size(); ++i) {
    MenuTextTable[i] = LookupText(kMenuTextKeys[i].group, kMenuTextKeys[i].key);
  }
  return 1;
}
