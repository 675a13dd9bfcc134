// Parsing speed of CXmlDoc against pugixml on a large generated document and on the shipped
// language file. Each pair runs the same work: read (and decode) the file, or parse text already
// in memory, then look up the texts the program reads.
#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/sys/Utf.h"
#include "resources/MenuTextTable.h"
#include "resources/XmlDoc.h"

namespace {

// About 8 MiB of UTF-8: groups of items with attributes, Chinese and ASCII text, references,
// comments and CDATA sections.
std::string GenerateLargeXml() {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<catalog>\n";
  int n = 0;
  while (xml.size() < 8u * 1024 * 1024) {
    xml += "  <group id=\"" + std::to_string(n) + "\" kind='demo'>\n";
    for (int i = 0; i < 20; ++i, ++n) {
      xml += "    <item index=\"" + std::to_string(n) + "\" enabled=\"true\">";
      switch (i % 4) {
        case 0: xml += "\xE5\xAE\x8F\xE7\xAE\xA1\xE7\x90\x86\xE5\x99\xA8 number " + std::to_string(n); break;
        case 1: xml += "Volume &amp; balance &#x4E2D;&#25991; settings"; break;
        case 2: xml += "<!-- note --><![CDATA[raw <text> here]]>"; break;
        default: xml += "<name>left button</name><code>" + std::to_string(n % 255) + "</code>"; break;
      }
      xml += "</item>\n";
    }
    xml += "  </group>\n";
  }
  xml += "</catalog>\n";
  return xml;
}

struct Fixture {
  std::string utf8 = GenerateLargeXml();
  std::u16string utf16 = sys::FromUtf8(utf8);
  std::string path = (std::filesystem::temp_directory_path() / "kdz_bench_large.xml").string();
  Fixture() { std::ofstream(path, std::ios::binary) << utf8; }
  ~Fixture() { std::remove(path.c_str()); }
};

const Fixture& Large() {
  static const Fixture f;
  return f;
}

void BM_CXmlDoc_LoadLargeFile(benchmark::State& state) {
  const auto path = sys::FromUtf8(Large().path);
  for (auto _ : state) {
    CXmlDoc doc;
    benchmark::DoNotOptimize(doc.Load(path));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Large().utf8.size()));
}

void BM_Pugixml_LoadLargeFile(benchmark::State& state) {
  for (auto _ : state) {
    pugi::xml_document doc;
    benchmark::DoNotOptimize(doc.load_file(Large().path.c_str()));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Large().utf8.size()));
}

void BM_CXmlDoc_ParseLargeInMemory(benchmark::State& state) {
  CXmlDoc doc;
  for (auto _ : state) benchmark::DoNotOptimize(doc.SetDoc(Large().utf16));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Large().utf8.size()));
}

void BM_Pugixml_ParseLargeInMemory(benchmark::State& state) {
  for (auto _ : state) {
    pugi::xml_document doc;
    benchmark::DoNotOptimize(doc.load_buffer(Large().utf8.data(), Large().utf8.size()));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Large().utf8.size()));
}

void BM_CXmlDoc_LoadLanguageFile(benchmark::State& state) {
  const auto path = sys::FromUtf8(KDZ_LANGUAGE_XML);
  for (auto _ : state) benchmark::DoNotOptimize(LoadMenuTexts(path));
}

void BM_Pugixml_LoadLanguageFile(benchmark::State& state) {
  std::array<std::u16string, kMenuTextCount> texts;
  for (auto _ : state) {
    pugi::xml_document doc;
    if (!doc.load_file(KDZ_LANGUAGE_XML)) state.SkipWithError("load failed");
    const pugi::xml_node root = doc.first_child();
    for (size_t i = 0; i < kMenuTextKeys.size(); ++i) {
      const std::string group = sys::ToUtf8(kMenuTextKeys[i].group);
      const std::string key = sys::ToUtf8(kMenuTextKeys[i].key);
      texts[i] = sys::FromUtf8(root.child(group.c_str()).child(key.c_str()).text().get());
    }
    benchmark::DoNotOptimize(texts);
  }
}

}  // namespace

BENCHMARK(BM_CXmlDoc_LoadLargeFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pugixml_LoadLargeFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CXmlDoc_ParseLargeInMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pugixml_ParseLargeInMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CXmlDoc_LoadLanguageFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Pugixml_LoadLanguageFile)->Unit(benchmark::kMicrosecond);
