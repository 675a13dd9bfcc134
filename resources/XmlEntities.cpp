#include "resources/XmlEntities.h"

#include <algorithm>
#include <array>

namespace xml {
namespace {

struct Entity {
  std::u16string_view name;
  uint32_t codePoint;
};

char16_t Fold(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

// Orders by the case-folded name, then by the exact one, so the capital form of two twins comes
// first.
int CompareFolded(std::u16string_view a, std::u16string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const char16_t x = Fold(a[i]), y = Fold(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The character entity references of HTML 4.01 and "apos", sorted as CompareFolded orders them.
constexpr std::array<Entity, 253> kEntities = {{
    {u"Aacute", 193},
    {u"aacute", 225},
    {u"Acirc", 194},
    {u"acirc", 226},
    {u"acute", 180},
    {u"AElig", 198},
    {u"aelig", 230},
    {u"Agrave", 192},
    {u"agrave", 224},
    {u"alefsym", 8501},
    {u"Alpha", 913},
    {u"alpha", 945},
    {u"amp", 38},
    {u"and", 8743},
    {u"ang", 8736},
    {u"apos", 39},
    {u"Aring", 197},
    {u"aring", 229},
    {u"asymp", 8776},
    {u"Atilde", 195},
    {u"atilde", 227},
    {u"Auml", 196},
    {u"auml", 228},
    {u"bdquo", 8222},
    {u"Beta", 914},
    {u"beta", 946},
    {u"brvbar", 166},
    {u"bull", 8226},
    {u"cap", 8745},
    {u"Ccedil", 199},
    {u"ccedil", 231},
    {u"cedil", 184},
    {u"cent", 162},
    {u"Chi", 935},
    {u"chi", 967},
    {u"circ", 710},
    {u"clubs", 9827},
    {u"cong", 8773},
    {u"copy", 169},
    {u"crarr", 8629},
    {u"cup", 8746},
    {u"curren", 164},
    {u"Dagger", 8225},
    {u"dagger", 8224},
    {u"dArr", 8659},
    {u"darr", 8595},
    {u"deg", 176},
    {u"Delta", 916},
    {u"delta", 948},
    {u"diams", 9830},
    {u"divide", 247},
    {u"Eacute", 201},
    {u"eacute", 233},
    {u"Ecirc", 202},
    {u"ecirc", 234},
    {u"Egrave", 200},
    {u"egrave", 232},
    {u"empty", 8709},
    {u"emsp", 8195},
    {u"ensp", 8194},
    {u"Epsilon", 917},
    {u"epsilon", 949},
    {u"equiv", 8801},
    {u"Eta", 919},
    {u"eta", 951},
    {u"ETH", 208},
    {u"eth", 240},
    {u"Euml", 203},
    {u"euml", 235},
    {u"euro", 8364},
    {u"exist", 8707},
    {u"fnof", 402},
    {u"forall", 8704},
    {u"frac12", 189},
    {u"frac14", 188},
    {u"frac34", 190},
    {u"frasl", 8260},
    {u"Gamma", 915},
    {u"gamma", 947},
    {u"ge", 8805},
    {u"gt", 62},
    {u"hArr", 8660},
    {u"harr", 8596},
    {u"hearts", 9829},
    {u"hellip", 8230},
    {u"Iacute", 205},
    {u"iacute", 237},
    {u"Icirc", 206},
    {u"icirc", 238},
    {u"iexcl", 161},
    {u"Igrave", 204},
    {u"igrave", 236},
    {u"image", 8465},
    {u"infin", 8734},
    {u"int", 8747},
    {u"Iota", 921},
    {u"iota", 953},
    {u"iquest", 191},
    {u"isin", 8712},
    {u"Iuml", 207},
    {u"iuml", 239},
    {u"Kappa", 922},
    {u"kappa", 954},
    {u"Lambda", 923},
    {u"lambda", 955},
    {u"lang", 9001},
    {u"laquo", 171},
    {u"lArr", 8656},
    {u"larr", 8592},
    {u"lceil", 8968},
    {u"ldquo", 8220},
    {u"le", 8804},
    {u"lfloor", 8970},
    {u"lowast", 8727},
    {u"loz", 9674},
    {u"lrm", 8206},
    {u"lsaquo", 8249},
    {u"lsquo", 8216},
    {u"lt", 60},
    {u"macr", 175},
    {u"mdash", 8212},
    {u"micro", 181},
    {u"middot", 183},
    {u"minus", 8722},
    {u"Mu", 924},
    {u"mu", 956},
    {u"nabla", 8711},
    {u"nbsp", 160},
    {u"ndash", 8211},
    {u"ne", 8800},
    {u"ni", 8715},
    {u"not", 172},
    {u"notin", 8713},
    {u"nsub", 8836},
    {u"Ntilde", 209},
    {u"ntilde", 241},
    {u"Nu", 925},
    {u"nu", 957},
    {u"Oacute", 211},
    {u"oacute", 243},
    {u"Ocirc", 212},
    {u"ocirc", 244},
    {u"OElig", 338},
    {u"oelig", 339},
    {u"Ograve", 210},
    {u"ograve", 242},
    {u"oline", 8254},
    {u"Omega", 937},
    {u"omega", 969},
    {u"Omicron", 927},
    {u"omicron", 959},
    {u"oplus", 8853},
    {u"or", 8744},
    {u"ordf", 170},
    {u"ordm", 186},
    {u"Oslash", 216},
    {u"oslash", 248},
    {u"Otilde", 213},
    {u"otilde", 245},
    {u"otimes", 8855},
    {u"Ouml", 214},
    {u"ouml", 246},
    {u"para", 182},
    {u"part", 8706},
    {u"permil", 8240},
    {u"perp", 8869},
    {u"Phi", 934},
    {u"phi", 966},
    {u"Pi", 928},
    {u"pi", 960},
    {u"piv", 982},
    {u"plusmn", 177},
    {u"pound", 163},
    {u"Prime", 8243},
    {u"prime", 8242},
    {u"prod", 8719},
    {u"prop", 8733},
    {u"Psi", 936},
    {u"psi", 968},
    {u"quot", 34},
    {u"radic", 8730},
    {u"rang", 9002},
    {u"raquo", 187},
    {u"rArr", 8658},
    {u"rarr", 8594},
    {u"rceil", 8969},
    {u"rdquo", 8221},
    {u"real", 8476},
    {u"reg", 174},
    {u"rfloor", 8971},
    {u"Rho", 929},
    {u"rho", 961},
    {u"rlm", 8207},
    {u"rsaquo", 8250},
    {u"rsquo", 8217},
    {u"sbquo", 8218},
    {u"Scaron", 352},
    {u"scaron", 353},
    {u"sdot", 8901},
    {u"sect", 167},
    {u"shy", 173},
    {u"Sigma", 931},
    {u"sigma", 963},
    {u"sigmaf", 962},
    {u"sim", 8764},
    {u"spades", 9824},
    {u"sub", 8834},
    {u"sube", 8838},
    {u"sum", 8721},
    {u"sup", 8835},
    {u"sup1", 185},
    {u"sup2", 178},
    {u"sup3", 179},
    {u"supe", 8839},
    {u"szlig", 223},
    {u"Tau", 932},
    {u"tau", 964},
    {u"there4", 8756},
    {u"Theta", 920},
    {u"theta", 952},
    {u"thetasym", 977},
    {u"thinsp", 8201},
    {u"THORN", 222},
    {u"thorn", 254},
    {u"tilde", 732},
    {u"times", 215},
    {u"trade", 8482},
    {u"Uacute", 218},
    {u"uacute", 250},
    {u"uArr", 8657},
    {u"uarr", 8593},
    {u"Ucirc", 219},
    {u"ucirc", 251},
    {u"Ugrave", 217},
    {u"ugrave", 249},
    {u"uml", 168},
    {u"upsih", 978},
    {u"Upsilon", 933},
    {u"upsilon", 965},
    {u"Uuml", 220},
    {u"uuml", 252},
    {u"weierp", 8472},
    {u"Xi", 926},
    {u"xi", 958},
    {u"Yacute", 221},
    {u"yacute", 253},
    {u"yen", 165},
    {u"Yuml", 376},
    {u"yuml", 255},
    {u"Zeta", 918},
    {u"zeta", 950},
    {u"zwj", 8205},
    {u"zwnj", 8204},
}};

constexpr uint32_t kMaxCodePoint = 0x10FFFF;

bool IsScalarValue(uint32_t v) { return v != 0 && v <= kMaxCodePoint && (v < 0xD800 || v > 0xDFFF); }

// Digits of the given base up to the first unit that is not one; the name is at most nine units
// long, so the value cannot overflow.
uint32_t ParseNumber(std::u16string_view digits, uint32_t base) {
  uint32_t v = 0;
  for (char16_t c : digits) {
    uint32_t d;
    if (c >= u'0' && c <= u'9') {
      d = c - u'0';
    } else if (base == 16 && Fold(c) >= u'a' && Fold(c) <= u'f') {
      d = Fold(c) - u'a' + 10;
    } else {
      break;
    }
    v = v * base + d;
  }
  return v;
}

}  // namespace

uint32_t EntityCodePoint(std::u16string_view name) {
  const auto first = std::lower_bound(
      kEntities.begin(), kEntities.end(), name,
      [](const Entity& e, std::u16string_view n) { return CompareFolded(e.name, n) < 0; });
  auto it = first;
  for (; it != kEntities.end() && CompareFolded(it->name, name) == 0; ++it) {
    if (it->name == name) return it->codePoint;
  }
  return first != it ? first->codePoint : 0;
}

std::u16string DecodeEntities(std::u16string_view run) {
  std::u16string out;
  out.reserve(run.size());
  const size_t n = run.size();
  for (size_t i = 0; i < n; ++i) {
    const char16_t c = run[i];
    if (c != u'&') {
      out += c;
      continue;
    }
    // The name: at most nine units of ASCII before the ';'.
    size_t k = 0;
    bool terminated = false;
    for (; k < 10 && i + 1 + k < n; ++k) {
      const char16_t u = run[i + 1 + k];
      if (u == u';') {
        terminated = true;
        break;
      }
      if (u >= 128) break;
    }
    if (!terminated) {
      out += c;
      continue;
    }
    const std::u16string_view name = run.substr(i + 1, k);
    uint32_t v = 0;
    if (!name.empty() && name[0] == u'#') {
      v = (name.size() > 1 && Fold(name[1]) == u'x') ? ParseNumber(name.substr(2), 16)
                                                      : ParseNumber(name.substr(1), 10);
    } else {
      v = EntityCodePoint(name);
    }
    // Beyond U+10FFFF or in the surrogate range a reference would give malformed UTF-16.
    if (!IsScalarValue(v)) {
      out += c;
      continue;
    }
    if (v < 0x10000) {
      out += static_cast<char16_t>(v);
    } else {
      out += static_cast<char16_t>(0xD800 | (((v - 0x10000) >> 10) & 0x3FF));
      out += static_cast<char16_t>(0xDC00 | (v & 0x3FF));
    }
    i += 1 + k;  // resume after the ';'
  }
  return out;
}

}  // namespace xml
