#pragma once

#include <array>
#include <string>
#include <string_view>

#include "resources/XmlDoc.h"

// The UI texts of the menus, the tray and the macro manager, read once from the language file.

// Position of each text in MenuTextTable; the order is fixed.
enum class MenuTextId : int {
  MAJOR_FUN_MACRO,
  MAJOR_FUN_MEDIA,
  MAJOR_FUN_CONFIGFILE,
  MAJOR_FUN_DPI,
  MAJOR_FUN_WINDOWS,
  MAJOR_FUN_LEFT_MOUSE_KEY,
  MAJOR_FUN_RIGHT_MOUSE_KEY,
  MAJOR_FUN_MIDDLE_MOUSE_KEY,
  MAJOR_FUN_LEFT_DOUBLECLICK_MOUSE_KEY,
  MAJOR_FUN_ASSIGN_SHORTCUT,
  MAJOR_FUN_OFF,
  MAJOR_FUN_FORWARD_MOUSE_KEY,
  MAJOR_FUN_BACKWARD_MOUSE_KEY,
  MAJOR_FUN_SCROLL_UP,
  MAJOR_FUN_SCROLL_DOWN,
  MAJOR_FUN_SCROLL_LEFT,
  MAJOR_FUN_SCROLL_RIGHT,
  MAJOR_FUN_ASSIGN_PROGRAM_TO_EXECUTION,
  MAJOR_FUN_FIRE_KEY,
  MAJOR_FUN_COMBINATION_KEY,
  MAJOR_FUN_WIN_KEY,
  MAJOR_FUN_SHOW_DRIVER,
  MAJOR_MACRO_AT_BEFORE_RECORD,
  MAJOR_MACRO_AT_AFTER_RECORD,
  MAJOR_MACRO_INSERT_DELAY,
  MAJOR_MACRO_EDIT_DELAY,
  MAJOR_MACRO_INSERT_MOUSE_KEY,
  MAJOR_MACRO_DELETE,
  MINOR_FUN_MACRO_ITEM,
  MINOR_FUN_MACRO_MANAGER,
  MINOR_FUN_MEDIA_OPEN_PLAYER,
  MINOR_FUN_MEDIA_BACKWARD_KEY,
  MINOR_FUN_MEDIA_FORWARD_KEY,
  MINOR_FUN_MEDIA_PLAY_PAUSE,
  MINOR_FUN_MEDIA_STOP,
  MINOR_FUN_MEDIA_MUTE,
  MINOR_FUN_MEDIA_VOLUME_PLUS,
  MINOR_FUN_MEDIA_VOLUME_MINUS,
  MINOR_FUN_CONFIGFILE_CIRCLE,
  MINOR_FUN_CONFIGFILE_PLUS,
  MINOR_FUN_CONFIGFILE_MINUS,
  MINOR_FUN_DPI_CIRCLE,
  MINOR_FUN_DPI_PLUS,
  MINOR_FUN_DPI_MINUS,
  MINOR_FUN_WINDOWS_CALC,
  MINOR_FUN_WINDOWS_EMAIL,
  MINOR_FUN_WINDOWS_BROWSER_FAVORITES,
  MINOR_FUN_WINDOWS_BROWSER_FORWARD,
  MINOR_FUN_WINDOWS_BROWSER_BACKWARED,
  MINOR_FUN_WINDOWS_BROWSER_STOP,
  MINOR_FUN_WINDOWS_MYCOMPUTER,
  MINOR_FUN_WINDOWS_BROWSER_REFRESH,
  MINOR_FUN_WINDOWS_BROWSER_HOMEPAGE,
  MINOR_FUN_WINDOWS_BROWSER_FIND,
  MINOR_MACRO_INSERT_MOUSE_KEY_LEFT,
  MINOR_MACRO_INSERT_MOUSE_KEY_MIDDLE,
  MINOR_MACRO_INSERT_MOUSE_KEY_RIGHT,
  MINOR_MACRO_INSERT_MOUSE_KEY_FORWARD,
  MINOR_MACRO_INSERT_MOUSE_KEY_BACKWARED,
  SUBMINOR_MACRO_INSERT_MOUSE_KEY_DOWN,
  SUBMINOR_MACRO_INSERT_MOUSE_KEY_UP,
  SUBMINOR_MACRO_INSERT_MOUSE_KEY_CLICK,
  ShowMainPanel,
  EnableAutoRun,
  Exit,
  ProfileChangeTitle,
  ProfileChangeInfo,
  DPIChangeTitle,
  DPIChangeInfo,
  OpenDeviceWarning,
  MacroDeleteMsg,
  MacroReNameMsg,
};

inline constexpr int kMenuTextCount = 72;

// Where a text lives in the language file: the group element under the root, and the key
// element inside the group.
struct MenuTextKey {
  std::u16string_view group;
  std::u16string_view key;
};

extern const std::array<MenuTextKey, kMenuTextCount> kMenuTextKeys;

// The loaded language file.
extern CXmlDoc LanguageDoc;

// The texts, empty until LoadMenuTexts fills them; a key missing from the file stays empty.
extern std::array<std::u16string, kMenuTextCount> MenuTextTable;

inline const std::u16string& MenuText(MenuTextId id) {
  return MenuTextTable[static_cast<size_t>(id)];
}

// Loads the language file into LanguageDoc and fills every text of MenuTextTable. Returns 1 on
// success; 0 when the file is missing, unreadable or not well formed, leaving the texts as they
// were.
int LoadMenuTexts(std::u16string_view path);

// The text of `key` in the group `group` of LanguageDoc; empty when either is missing or the
// key holds elements.
std::u16string LookupText(std::u16string_view group, std::u16string_view key);
