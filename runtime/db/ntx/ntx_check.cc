// Verifying a whole NTX file for the table tool's check command.
#include <cstring>
#include <unordered_set>

#include "runtime/db/ntx/ntx_impl.h"
#include "runtime/runtime_error.h"

namespace kalvento::rt::db {

using namespace ntx;

namespace {

constexpr size_t kMaxFaults = 50;

class Checker {
 public:
  Checker(NtxFile::Impl& impl, bool strictFill, NtxCheckResult* result)
      : impl_(impl), strictFill_(strictFill), result_(result) {}

  void add(const std::string& fault) {
    result_->ok = false;
    if (result_->faults.size() < kMaxFaults) result_->faults.push_back(fault);
  }

  // Walks the subtree at `offset` in key order.
  void walk(uint32_t offset, int depth, bool isRoot) {
    if (result_->faults.size() >= kMaxFaults) return;
    if (depth >= kMaxDepth) {
      add("Baum tiefer als " + std::to_string(kMaxDepth) + " Ebenen");
      return;
    }
    if (!pages_.insert(offset).second) {
      add("Seite " + std::to_string(offset) + " mehrfach im Baum (Zyklus)");
      return;
    }
    const uint8_t* p;
    try {
      p = impl_.page(offset);
    } catch (const RuntimeError& e) {
      add(e.operation());
      return;
    }
    // Copy what is needed: walking the children may evict nothing, but keep
    // the loop independent of the page buffer anyway.
    const int n = impl_.count(p);
    const bool leaf = impl_.isLeaf(p);
    if (!isRoot && n < impl_.header_.halfPage && (strictFill_ || n == 0)) {
      add("Seite " + std::to_string(offset) + ": nur " + std::to_string(n) + " Einträge");
    }
    if (leaf) {
      if (leafDepth_ < 0) leafDepth_ = depth;
      else if (leafDepth_ != depth) {
        add("Blattseite " + std::to_string(offset) + " auf Ebene " + std::to_string(depth) + " statt " +
            std::to_string(leafDepth_));
      }
    }
    std::vector<uint32_t> kids(static_cast<size_t>(n) + 1);
    std::vector<uint32_t> recs(static_cast<size_t>(n));
    std::string keys(static_cast<size_t>(n) * impl_.header_.keySize, '\0');
    const size_t ks = static_cast<size_t>(impl_.header_.keySize);
    for (int k = 0; k <= n; ++k) {
      kids[k] = impl_.child(p, k);
      if (k < n) {
        recs[k] = impl_.recAt(p, k);
        std::memcpy(&keys[k * ks], impl_.keyAt(p, k), ks);
      }
    }
    for (int k = 0; k <= n; ++k) {
      if (!leaf) walk(kids[k], depth + 1, false);
      if (k < n) visit(offset, std::string_view(keys).substr(k * ks, ks), recs[k]);
    }
  }

  void visit(uint32_t offset, std::string_view key, uint32_t rec) {
    ++result_->entries;
    if (rec == 0) add("Seite " + std::to_string(offset) + ": Eintrag ohne Satznummer");
    if (havePrev_) {
      int c = std::memcmp(prevKey_.data(), key.data(), key.size());
      if (c > 0 || (c == 0 && prevRec_ >= rec)) {
        add("Seite " + std::to_string(offset) + ": Satz " + std::to_string(rec) +
            " steht nicht in Schlüsselfolge hinter Satz " + std::to_string(prevRec_));
      } else if (c == 0 && impl_.header_.unique) {
        add("eindeutiger Index mit Schlüssel doppelt (Sätze " + std::to_string(prevRec_) + " und " +
            std::to_string(rec) + ")");
      }
    }
    havePrev_ = true;
    prevKey_.assign(key);
    prevRec_ = rec;
    if (!records_.insert(rec).second) add("Satz " + std::to_string(rec) + " mehrfach im Index");
  }

  void walkFreeList() {
    uint32_t offset = impl_.header_.freePage;
    std::unordered_set<uint32_t> seen;
    while (offset != 0) {
      if (!impl_.pageOffsetOk(offset)) {
        add("freie Seite " + std::to_string(offset) + " außerhalb der Datei");
        return;
      }
      if (pages_.count(offset) != 0) add("freie Seite " + std::to_string(offset) + " ist auch im Baum");
      if (!seen.insert(offset).second) {
        add("Liste freier Seiten im Kreis bei " + std::to_string(offset));
        return;
      }
      offset = Get32(impl_.rawPage(offset));
    }
  }

  const std::unordered_set<uint32_t>& records() const { return records_; }

 private:
  NtxFile::Impl& impl_;
  bool strictFill_;
  NtxCheckResult* result_;
  std::unordered_set<uint32_t> pages_;
  std::unordered_set<uint32_t> records_;
  int leafDepth_ = -1;
  bool havePrev_ = false;
  std::string prevKey_;
  uint32_t prevRec_ = 0;
};

}  // namespace

NtxCheckResult NtxFile::check(uint32_t expectedRecords, bool strictFill) {
  NtxOperation op(*impl_);
  NtxCheckResult result;
  Checker checker(*impl_, strictFill, &result);
  checker.walk(impl_->header_.root, 0, true);
  checker.walkFreeList();
  if (expectedRecords > 0) {
    uint32_t missing = 0, firstMissing = 0;
    for (uint32_t rec : checker.records()) {
      if (rec > expectedRecords) {
        checker.add("Satz " + std::to_string(rec) + " hinter dem letzten Satz " + std::to_string(expectedRecords));
      }
    }
    // A unique index holds only the first record of each key.
    if (!impl_->header_.unique) {
      for (uint32_t rec = 1; rec <= expectedRecords; ++rec) {
        if (checker.records().count(rec) == 0 && missing++ == 0) firstMissing = rec;
      }
      if (missing > 0) {
        checker.add(std::to_string(missing) + " Sätze fehlen im Index, der erste ist Satz " +
                    std::to_string(firstMissing));
      }
    }
  }
  return result;
}

}  // namespace kalvento::rt::db
