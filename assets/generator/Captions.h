#pragma once

// The captions the skin draws into the title strips of the windows that the button page's
// function menu opens: each is the text of the menu item that opens its window, the text of its
// key in Language.xml.
namespace captions {

inline constexpr char16_t kShortcutDialog[] = u"快捷键";
inline constexpr char16_t kProgramDialog[] = u"运行程序";
inline constexpr char16_t kMacroManager[] = u"宏管理器";

struct MenuCaption {
  const char16_t* caption;
  // The language file's key of the menu item that opens the window.
  const char16_t* menuKey;
};
inline constexpr MenuCaption kMenuCaptions[] = {
    {kShortcutDialog, u"MAJOR_FUN_ASSIGN_SHORTCUT"},
    {kProgramDialog, u"MAJOR_FUN_ASSIGN_PROGRAM_TO_EXECUTION"},
    {kMacroManager, u"MINOR_FUN_MACRO_MANAGER"},
};

}  // namespace captions
