#include "platform/hid/ReportDescriptor.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <optional>

namespace hid {

namespace {

enum Kind : int { kInput = 0, kOutput = 1, kFeature = 2, kKinds = 3 };

// Item types and tags of the short-item prefix byte (tag in bits 4-7, type in bits 2-3).
enum ItemType : uint8_t { kMain = 0, kGlobal = 1, kLocal = 2 };
enum MainTag : uint8_t { kTagInput = 8, kTagOutput = 9, kTagCollection = 0xA, kTagFeature = 0xB,
                         kTagEndCollection = 0xC };
enum GlobalTag : uint8_t { kTagUsagePage = 0, kTagLogicalMin = 1, kTagLogicalMax = 2,
                           kTagPhysicalMin = 3, kTagPhysicalMax = 4, kTagReportSize = 7,
                           kTagReportId = 8, kTagReportCount = 9, kTagPush = 0xA, kTagPop = 0xB };
enum LocalTag : uint8_t { kTagUsage = 0, kTagUsageMin = 1, kTagUsageMax = 2 };

constexpr uint8_t kLongItemPrefix = 0xFE;
constexpr uint32_t kFlagVariable = 0x02;
constexpr uint32_t kFlagRelative = 0x04;
constexpr uint32_t kFlagNullState = 0x40;

constexpr size_t kMaxPushDepth = 16;
constexpr size_t kMaxNesting = 64;
constexpr size_t kMax16 = 0xFFFF;
// The longest report whose byte length plus the report-id byte still fits in 16 bits.
constexpr uint64_t kMaxReportBits = (kMax16 - 1) * 8ULL;

struct GlobalState {
  uint16_t usagePage = 0;
  int32_t logicalMin = 0, logicalMax = 0;
  int32_t physicalMin = 0, physicalMax = 0;
  uint32_t reportSize = 0, reportCount = 0;
  uint8_t reportId = 0;
};

// A usage or usage range as the local items gave it; a page of 0 with explicitPage false is
// resolved with the usage page in force at the main item.
struct UsageEntry {
  uint16_t page = 0;
  bool explicitPage = false;
  uint16_t min = 0, max = 0;
  bool isRange = false;
};

struct PartialUsage {
  uint16_t page = 0;
  bool explicitPage = false;
  uint16_t usage = 0;
};

struct OpenCollection {
  uint16_t linkIndex = 0;
  uint16_t usagePage = 0;
  uint16_t usage = 0;
};

// A top-level collection while it is parsed, and until the report lengths are known.
struct CollectionBuilder {
  TopLevelCollection tlc;
  std::array<std::bitset<256>, kKinds> ids;
  std::array<bool, kKinds> hasItems{};
  std::array<uint32_t, kKinds> dataIndices{};
  uint32_t linkNodes = 0;
};

class Parser {
 public:
  explicit Parser(std::span<const uint8_t> d) : d_(d) {}

  ParsedDescriptor Run() {
    size_t pos = 0;
    while (pos < d_.size() && out_.ok()) {
      offset_ = pos;
      const uint8_t prefix = d_[pos];
      if (prefix == kLongItemPrefix) {
        // Long items carry their data size in the next byte; none is defined, so skip them.
        if (d_.size() - pos < 3 || d_.size() - pos - 3 < d_[pos + 1]) {
          Fail(DescriptorError::Truncated);
          break;
        }
        pos += 3 + d_[pos + 1];
        continue;
      }
      static constexpr size_t kDataSize[4] = {0, 1, 2, 4};
      const size_t size = kDataSize[prefix & 3];
      if (d_.size() - pos - 1 < size) {
        Fail(DescriptorError::Truncated);
        break;
      }
      uint32_t u = 0;
      for (size_t i = 0; i < size; ++i) u |= static_cast<uint32_t>(d_[pos + 1 + i]) << (8 * i);
      int32_t s = static_cast<int32_t>(u);
      if (size == 1) s = static_cast<int8_t>(u);
      if (size == 2) s = static_cast<int16_t>(u);
      Item(static_cast<uint8_t>((prefix >> 2) & 3), static_cast<uint8_t>(prefix >> 4), size, u, s);
      pos += 1 + size;
    }
    if (out_.ok() && !open_.empty()) {
      offset_ = d_.size();
      Fail(DescriptorError::UnclosedCollection);
    }
    Finish();
    return std::move(out_);
  }

 private:
  void Fail(DescriptorError e) {
    if (!out_.ok()) return;
    out_.error = e;
    out_.errorOffset = offset_;
  }

  void Item(uint8_t type, uint8_t tag, size_t size, uint32_t u, int32_t s) {
    switch (type) {
      case kMain: Main(tag, u); break;
      case kGlobal: Global(tag, size, u, s); break;
      case kLocal: Local(tag, size, u); break;
      default: break;  // reserved item type
    }
  }

  void Global(uint8_t tag, size_t size, uint32_t u, int32_t s) {
    switch (tag) {
      case kTagUsagePage: g_.usagePage = static_cast<uint16_t>(u); break;
      case kTagLogicalMin: g_.logicalMin = s; break;
      // A maximum is unsigned when its minimum is not negative (0..255 is often given as one
      // byte 0xFF), as the kernel reads it.
      case kTagLogicalMax: g_.logicalMax = g_.logicalMin < 0 ? s : static_cast<int32_t>(u); break;
      case kTagPhysicalMin: g_.physicalMin = s; break;
      case kTagPhysicalMax:
        g_.physicalMax = g_.physicalMin < 0 ? s : static_cast<int32_t>(u);
        break;
      case kTagReportSize: g_.reportSize = u; break;
      case kTagReportCount: g_.reportCount = u; break;
      case kTagReportId:
        if (size == 0 || u == 0 || u > 255) {
          Fail(DescriptorError::InvalidReportId);
          return;
        }
        g_.reportId = static_cast<uint8_t>(u);
        out_.usesReportIds = true;
        break;
      case kTagPush:
        if (stack_.size() >= kMaxPushDepth) {
          Fail(DescriptorError::StackOverflow);
          return;
        }
        stack_.push_back(g_);
        break;
      case kTagPop:
        if (stack_.empty()) {
          Fail(DescriptorError::StackUnderflow);
          return;
        }
        g_ = stack_.back();
        stack_.pop_back();
        break;
      default: break;  // unit, unit exponent and reserved tags do not shape the caps
    }
  }

  void Local(uint8_t tag, size_t size, uint32_t u) {
    PartialUsage p;
    p.explicitPage = size == 4;
    p.page = p.explicitPage ? static_cast<uint16_t>(u >> 16) : 0;
    p.usage = static_cast<uint16_t>(u);
    switch (tag) {
      case kTagUsage:
        AddUsage(UsageEntry{p.page, p.explicitPage, p.usage, p.usage, false});
        break;
      case kTagUsageMin:
        pendingMin_ = p;
        CompleteRange();
        break;
      case kTagUsageMax:
        pendingMax_ = p;
        CompleteRange();
        break;
      default: break;  // designators, strings and delimiters give no caps of their own
    }
  }

  void AddUsage(const UsageEntry& e) {
    if (usages_.size() >= kMax16) {
      Fail(DescriptorError::TooManyItems);
      return;
    }
    usages_.push_back(e);
  }

  void CompleteRange() {
    if (!pendingMin_ || !pendingMax_) return;
    UsageEntry e;
    e.explicitPage = pendingMin_->explicitPage;
    e.page = pendingMin_->page;
    e.min = std::min(pendingMin_->usage, pendingMax_->usage);
    e.max = std::max(pendingMin_->usage, pendingMax_->usage);
    e.isRange = true;
    pendingMin_.reset();
    pendingMax_.reset();
    AddUsage(e);
  }

  // A lone Usage Minimum or Maximum stands for that one usage.
  void FlushPartialRange() {
    for (auto* p : {&pendingMin_, &pendingMax_}) {
      if (*p) AddUsage(UsageEntry{(*p)->page, (*p)->explicitPage, (*p)->usage, (*p)->usage, false});
      p->reset();
    }
  }

  void ClearLocals() {
    usages_.clear();
    pendingMin_.reset();
    pendingMax_.reset();
  }

  uint16_t PageOf(const UsageEntry& e) const { return e.explicitPage ? e.page : g_.usagePage; }

  void Main(uint8_t tag, uint32_t flags) {
    FlushPartialRange();
    switch (tag) {
      case kTagInput: DataItem(kInput, flags); break;
      case kTagOutput: DataItem(kOutput, flags); break;
      case kTagFeature: DataItem(kFeature, flags); break;
      case kTagCollection: BeginCollection(); break;
      case kTagEndCollection: EndCollection(); break;
      default: break;
    }
    ClearLocals();
  }

  void BeginCollection() {
    if (open_.size() >= kMaxNesting) {
      Fail(DescriptorError::NestingTooDeep);
      return;
    }
    OpenCollection c;
    if (!usages_.empty()) {
      c.usagePage = PageOf(usages_.front());
      c.usage = usages_.front().min;
    }
    if (open_.empty()) {
      cur_ = CollectionBuilder{};
      cur_.tlc.caps.UsagePage = c.usagePage;
      cur_.tlc.caps.Usage = c.usage;
    }
    if (cur_.linkNodes >= kMax16) {
      Fail(DescriptorError::TooManyItems);
      return;
    }
    c.linkIndex = static_cast<uint16_t>(cur_.linkNodes++);
    open_.push_back(c);
  }

  void EndCollection() {
    if (open_.empty()) {
      Fail(DescriptorError::UnbalancedCollection);
      return;
    }
    open_.pop_back();
    if (open_.empty()) closed_.push_back(std::move(cur_));
  }

  void DataItem(Kind kind, uint32_t flags) {
    // Main items outside every collection belong to no interface.
    if (open_.empty()) return;
    if (g_.reportSize > kMax16 || g_.reportCount > kMax16) {
      Fail(DescriptorError::ReportTooLong);
      return;
    }
    uint64_t& bits = reportBits_[kind][g_.reportId];
    bits += static_cast<uint64_t>(g_.reportSize) * g_.reportCount;
    if (bits > kMaxReportBits) {
      Fail(DescriptorError::ReportTooLong);
      return;
    }
    cur_.hasItems[kind] = true;
    cur_.ids[kind].set(g_.reportId);
    if (usages_.empty() || g_.reportSize == 0 || g_.reportCount == 0) return;  // padding

    const bool isArray = (flags & kFlagVariable) == 0;
    const bool isButton = isArray || g_.reportSize == 1;
    const OpenCollection& link = open_.back();
    uint32_t remaining = g_.reportCount;
    for (size_t i = 0; i < usages_.size(); ++i) {
      UsageEntry e = usages_[i];
      uint32_t count = g_.reportCount;
      if (!isArray) {
        // Variable fields take one usage each in order; the last usage covers the rest.
        if (remaining == 0) break;
        const uint32_t span = static_cast<uint32_t>(e.max - e.min) + 1;
        const bool last = i + 1 == usages_.size();
        if (span > remaining) e.max = static_cast<uint16_t>(e.min + remaining - 1);
        count = last ? remaining : std::min(span, remaining);
        remaining -= std::min(span, remaining);
        e.isRange = e.isRange && e.max != e.min;
      }
      cur_.dataIndices[kind] += static_cast<uint32_t>(e.max - e.min) + 1;
      if (isButton) {
        HidButtonCaps b;
        b.UsagePage = PageOf(e);
        b.ReportID = g_.reportId;
        b.BitField = static_cast<uint16_t>(flags);
        b.LinkCollection = link.linkIndex;
        b.LinkUsage = link.usage;
        b.LinkUsagePage = link.usagePage;
        b.IsRange = e.isRange;
        b.IsAbsolute = (flags & kFlagRelative) == 0;
        b.UsageMin = e.min;
        b.UsageMax = e.max;
        b.ReportCount = static_cast<uint16_t>(count);
        if (!AddCap(ButtonList(kind), b)) return;
      } else {
        HidValueCaps v;
        v.UsagePage = PageOf(e);
        v.ReportID = g_.reportId;
        v.BitField = static_cast<uint16_t>(flags);
        v.LinkCollection = link.linkIndex;
        v.LinkUsage = link.usage;
        v.LinkUsagePage = link.usagePage;
        v.IsRange = e.isRange;
        v.IsAbsolute = (flags & kFlagRelative) == 0;
        v.HasNull = (flags & kFlagNullState) != 0;
        v.BitSize = static_cast<uint16_t>(g_.reportSize);
        v.ReportCount = static_cast<uint16_t>(count);
        v.LogicalMin = g_.logicalMin;
        v.LogicalMax = g_.logicalMax;
        v.PhysicalMin = g_.physicalMin;
        v.PhysicalMax = g_.physicalMax;
        v.UsageMin = e.min;
        v.UsageMax = e.max;
        if (!AddCap(ValueList(kind), v)) return;
      }
    }
  }

  template <typename Cap>
  bool AddCap(std::vector<Cap>& list, const Cap& cap) {
    if (list.size() >= kMax16) {
      Fail(DescriptorError::TooManyItems);
      return false;
    }
    list.push_back(cap);
    return true;
  }

  std::vector<HidButtonCaps>& ButtonList(Kind k) {
    auto& t = cur_.tlc;
    return k == kInput    ? t.inputButtonCaps
           : k == kOutput ? t.outputButtonCaps
                          : t.featureButtonCaps;
  }
  std::vector<HidValueCaps>& ValueList(Kind k) {
    auto& t = cur_.tlc;
    return k == kInput    ? t.inputValueCaps
           : k == kOutput ? t.outputValueCaps
                          : t.featureValueCaps;
  }

  // Report lengths count every field of a report id, wherever in the descriptor it was declared,
  // so they are known only once the whole descriptor has been read.
  void Finish() {
    for (auto& b : closed_) {
      HidCaps& c = b.tlc.caps;
      uint16_t* lengths[kKinds] = {&c.InputReportByteLength, &c.OutputReportByteLength,
                                   &c.FeatureReportByteLength};
      for (int k = 0; k < kKinds; ++k) {
        if (!b.hasItems[k]) continue;
        uint64_t maxBits = 0;
        for (size_t id = 0; id < 256; ++id)
          if (b.ids[k].test(id)) maxBits = std::max(maxBits, reportBits_[k][id]);
        *lengths[k] = static_cast<uint16_t>(1 + (maxBits + 7) / 8);
      }
      c.NumberLinkCollectionNodes = static_cast<uint16_t>(b.linkNodes);
      auto n16 = [](size_t n) { return static_cast<uint16_t>(std::min(n, kMax16)); };
      c.NumberInputButtonCaps = n16(b.tlc.inputButtonCaps.size());
      c.NumberOutputButtonCaps = n16(b.tlc.outputButtonCaps.size());
      c.NumberFeatureButtonCaps = n16(b.tlc.featureButtonCaps.size());
      c.NumberInputValueCaps = n16(b.tlc.inputValueCaps.size());
      c.NumberOutputValueCaps = n16(b.tlc.outputValueCaps.size());
      c.NumberFeatureValueCaps = n16(b.tlc.featureValueCaps.size());
      c.NumberInputDataIndices = n16(b.dataIndices[kInput]);
      c.NumberOutputDataIndices = n16(b.dataIndices[kOutput]);
      c.NumberFeatureDataIndices = n16(b.dataIndices[kFeature]);
      const std::bitset<256> all = b.ids[kInput] | b.ids[kOutput] | b.ids[kFeature];
      for (size_t id = 0; id < 256; ++id) {
        if (all.test(id)) b.tlc.reportIds.push_back(static_cast<uint8_t>(id));
        if (b.ids[kInput].test(id)) b.tlc.inputReportIds.push_back(static_cast<uint8_t>(id));
      }
      out_.collections.push_back(std::move(b.tlc));
    }
  }

  std::span<const uint8_t> d_;
  size_t offset_ = 0;
  ParsedDescriptor out_;
  GlobalState g_;
  std::vector<GlobalState> stack_;
  std::vector<UsageEntry> usages_;
  std::optional<PartialUsage> pendingMin_, pendingMax_;
  std::vector<OpenCollection> open_;
  CollectionBuilder cur_;
  std::vector<CollectionBuilder> closed_;
  std::array<std::array<uint64_t, 256>, kKinds> reportBits_{};
};

}  // namespace

ParsedDescriptor ParseReportDescriptor(std::span<const uint8_t> descriptor) {
  return Parser(descriptor).Run();
}

}  // namespace hid
