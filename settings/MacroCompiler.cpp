#include "settings/MacroCompiler.h"

#include "settings/FunctionCodes.h"

namespace settings {
namespace {

// Item second bytes.
constexpr uint8_t ITEM_MOUSE = 0x42;
constexpr uint8_t ITEM_DELAY_MS = 0x44;       // 'D'
constexpr uint8_t ITEM_DELAY_4MS = 0x46;      // 'F'
constexpr uint8_t ITEM_DELAY_SECONDS = 0x48;  // 'H'
constexpr uint8_t MOUSE_DOWN = 0x80;

// Button bits of the mouse items.
constexpr uint8_t BUTTON_LEFT = 0x01;
constexpr uint8_t BUTTON_RIGHT = 0x02;
constexpr uint8_t BUTTON_MIDDLE = 0x04;
constexpr uint8_t BUTTON_BACKWARD = 0x08;
constexpr uint8_t BUTTON_FORWARD = 0x10;

// Modifier bits of the key items.
constexpr uint8_t MOD_CTRL = 1;
constexpr uint8_t MOD_SHIFT = 2;
constexpr uint8_t MOD_ALT = 4;
constexpr uint8_t MOD_WIN = 8;

constexpr uint8_t kDoubleClick[10] = {0x0A, 0x02, 0x81, 0x42, 0x40, 0x44, 0x01, 0x42, 0x07, 0x70};

// The modifier a virtual key stands for, or 0.
uint8_t ModifierOf(uint8_t vk) {
  switch (vk) {
    case 91: case 92: return MOD_WIN;
    case 160: case 161: return MOD_SHIFT;
    case 162: case 163: return MOD_CTRL;
    case 164: case 165: return MOD_ALT;
    default: return 0;
  }
}

uint8_t MouseDownButton(uint8_t code) {
  switch (code) {
    case MACRO_MOUSE_LEFT_DOWN: return BUTTON_LEFT;
    case MACRO_MOUSE_RIGHT_DOWN: return BUTTON_RIGHT;
    case MACRO_MOUSE_MIDDLE_DOWN: return BUTTON_MIDDLE;
    case MACRO_MOUSE_FORWARD_DOWN: return BUTTON_FORWARD;
    case MACRO_MOUSE_BACKWARD_DOWN: return BUTTON_BACKWARD;
    default: return 0;
  }
}

uint8_t MouseUpButton(uint8_t code) {
  switch (code) {
    case MACRO_MOUSE_LEFT_UP: return BUTTON_LEFT;
    case MACRO_MOUSE_RIGHT_UP: return BUTTON_RIGHT;
    case MACRO_MOUSE_MIDDLE_UP: return BUTTON_MIDDLE;
    case MACRO_MOUSE_FORWARD_UP: return BUTTON_FORWARD;
    case MACRO_MOUSE_BACKWARD_UP: return BUTTON_BACKWARD;
    default: return 0;
  }
}

// Writes the items of one user macro after its header word, refusing any word that would begin
// beyond the user-macro limit.
class ItemWriter {
 public:
  ItemWriter(E2MacroArea& area, size_t start) : area_(area), pos_(start + 2) {}

  bool Item(uint8_t first, uint8_t second) {
    if (!Word(first, second)) return false;
    ++items_;
    return true;
  }
  bool Word(uint8_t first, uint8_t second) {
    if (pos_ > USER_MACRO_LAST_WORD_OFFSET) return false;
    area_.bytes[pos_] = first;
    area_.bytes[pos_ + 1] = second;
    pos_ += 2;
    return true;
  }
  size_t items() const { return items_; }

 private:
  E2MacroArea& area_;
  size_t pos_;
  size_t items_ = 0;
};

// Writes the items and the end word of `macro`; false when the space ran out.
bool WriteItems(const tagMACROINFO& macro, ItemWriter& out) {
  uint8_t modifiers = 0;
  bool pending = false;
  const uint32_t count = UsableEventCount(macro);
  for (uint32_t i = 0; i < count; ++i) {
    const tagMACROEVENT& e = macro.events[i];
    switch (e.kind) {
      case MACRO_KEY_DOWN: {
        if (const uint8_t mod = ModifierOf(e.code); mod != 0) {
          modifiers |= mod;
          pending = true;
          break;
        }
        const uint8_t usage = UsageOfVirtualKey(e.code);
        if (usage == 0) break;  // a key the mouse cannot send; a pending modifier stays pending
        if (!out.Item(usage, pending ? modifiers : 0)) return false;
        pending = false;
        break;
      }
      case MACRO_KEY_UP:
        if (pending) {
          if (!out.Item(0, modifiers)) return false;
          pending = false;
        }
        if (UsageOfVirtualKey(e.code) != 0 && !out.Item(0, 0)) return false;
        break;
      case MACRO_DELAY: {
        const uint32_t d = e.delayMs;
        const uint32_t s = d / 1000;
        if (s > 0 && !out.Item(static_cast<uint8_t>(s), ITEM_DELAY_SECONDS)) return false;
        uint32_t r = d - 1000 * s;
        if (r > 255) {
          if (!out.Item(static_cast<uint8_t>(r >> 2), ITEM_DELAY_4MS)) return false;
          r &= 3;
        }
        if (r > 0 && !out.Item(static_cast<uint8_t>(r), ITEM_DELAY_MS)) return false;
        break;
      }
      case MACRO_MOUSE_DOWN:
        if (const uint8_t b = MouseDownButton(e.code); b != 0) {
          if (!out.Item(MOUSE_DOWN | b, ITEM_MOUSE)) return false;
        }
        break;
      case MACRO_MOUSE_UP:
        if (const uint8_t b = MouseUpButton(e.code); b != 0) {
          if (!out.Item(b, ITEM_MOUSE)) return false;
        }
        break;
      default:
        break;
    }
  }
  if (pending && !out.Item(0, modifiers)) return false;
  const size_t twoN = 2 * out.items();
  return out.Word(static_cast<uint8_t>((twoN + 1) & 0xFF),
                  static_cast<uint8_t>(0x70 | ((twoN >> 8) & 7)));
}

}  // namespace

int CompileMacros(const tagMODEINFO* modes, E2ConfigBlock& configBlock, E2MacroArea& macroArea,
                  const MacroStore& store, int* failedMode) {
  size_t h = 0;  // running word index shared by all buttons of all modes
  tagMACROINFO macro;
  int m = 0;
  const auto outOfSpace = [&] {
    if (failedMode != nullptr) *failedMode = m;
    return 0;
  };
  for (; m < MODE_COUNT; ++m) {
    for (int b = 0; b < KEY_COUNT; ++b) {
      const tagKEYDEFINEINFO& key = modes[m].keys[b];
      uint8_t* code = configBlock.bytes + ButtonCodeOffset(m, b);
      const size_t a = 2 * h;
      if (key.major == MAJOR_FUN_LEFT_DOUBLECLICK_MOUSE_KEY) {
        if (a + 16 > DOUBLE_CLICK_LIMIT || a + sizeof kDoubleClick > MACRO_AREA_SIZE)
          return outOfSpace();
        for (size_t i = 0; i < sizeof kDoubleClick; ++i) macroArea.bytes[a + i] = kDoubleClick[i];
        code[0] = static_cast<uint8_t>((a & 0xFF) | 1);
        code[1] = static_cast<uint8_t>(0xC0 | ((a >> 8) & 7));
        h += sizeof kDoubleClick / 2;
        continue;
      }
      if (key.major != MAJOR_FUN_MACRO) continue;

      // Signed, so that a minor of 0 or 1 gives a negative index rather than wrapping.
      const int index = static_cast<int>(key.minor) - MINOR_FUN_FIRST_MACRO;
      if (index < 0 || !store.GetMacro(macro, static_cast<unsigned>(index))) {
        // The code this button had may point anywhere into the area just rebuilt.
        code[0] = CODE_OFF_FIRST;
        code[1] = CODE_OFF_SECOND;
        continue;
      }
      ItemWriter out(macroArea, a);
      if (!WriteItems(macro, out)) return outOfSpace();
      const size_t n = out.items();
      const size_t length = 2 * (n + 2);
      const int repeatMode = macro.repeatMode;
      const auto lengthLow = static_cast<uint8_t>(length & 0xFF);
      macroArea.bytes[a] = repeatMode == 2 ? lengthLow : static_cast<uint8_t>(lengthLow | 1);
      macroArea.bytes[a + 1] =
          (repeatMode == 1 || repeatMode == 2) ? 0 : static_cast<uint8_t>(macro.loopCount);
      code[0] = static_cast<uint8_t>((a & 0xFF) | (repeatMode == 2 ? 1 : 0));
      code[1] = static_cast<uint8_t>(0xC0 | (((length >> 8) & 7) << 3) | ((a >> 8) & 7));
      h += n + 2;
    }
  }
  return 1;
}

}  // namespace settings
