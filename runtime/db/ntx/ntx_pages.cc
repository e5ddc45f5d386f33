// The page cache of an NTX file: loading and validating pages, editing them
// through decoded nodes, the free-page list, writing back, and the index lock.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "runtime/db/ntx/ntx_impl.h"
#include "runtime/runtime_error.h"

namespace kalvento::rt::db {

using namespace ntx;

NtxFile::Impl::~Impl() {
  if (fd_ >= 0) {
    if (lockDepth_ > 0 && lock_) lock_->release();
    ::close(fd_);
  }
}

void NtxFile::Impl::fault(const std::string& what) const {
  throw RuntimeError("Indexdatei beschädigt: " + path_, what);
}

bool NtxFile::Impl::pageOffsetOk(uint32_t offset) const {
  return offset >= kPageSize && offset % kPageSize == 0 && uint64_t{offset} + kPageSize <= fileSize_;
}

void NtxFile::Impl::openFile(const std::string& hostPath, NtxOpenMode mode) {
  path_ = hostPath;
  mode_ = mode;
  fd_ = ::open(hostPath.c_str(), (mode.readOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
  if (fd_ < 0) {
    throw RuntimeError("Indexdatei kann nicht geöffnet werden: " + hostPath, std::strerror(errno));
  }
  // The signature (which never changes) tells where the index lock lies; a
  // shared open reads the rest of the header under that lock, so that it
  // never sees another process's change half-done. The header is read before
  // the file size: pages are written before the header that points to them.
  struct stat st;
  if (::fstat(fd_, &st) != 0) fault(std::strerror(errno));
  if (!S_ISREG(st.st_mode)) fault("keine gewöhnliche Datei");
  uint8_t head[kPageSize] = {};
  if (::pread(fd_, head, 2, 0) != 2) fault("Datei zu kurz");
  uint64_t lockOffset = (Get16(head) & 0x10) != 0 ? kNewLockOffset : kLockBase;
  lock_.emplace(fd_, lockOffset, !mode.readOnly);
  if (mode.shared) lock_->acquire(hostPath.c_str());
  ssize_t got = ::pread(fd_, head, kPageSize, 0);
  int statResult = ::fstat(fd_, &st);
  if (mode.shared) lock_->release();
  if (statResult != 0) fault(std::strerror(errno));
  fileSize_ = static_cast<uint64_t>(st.st_size);
  if (got != static_cast<ssize_t>(kPageSize)) {
    fault("Datei zu kurz (" + std::to_string(fileSize_) + " Bytes)");
  }
  std::string problem = ParseHeader(head, fileSize_, &header_);
  if (!problem.empty()) fault(problem);
  spec_ = KeySpec{'?', header_.keySize, header_.keyDecimals};
}

void NtxFile::Impl::validatePage(Page& pg, uint32_t offset) {
  uint8_t* p = pg.bytes.data();
  const int max = header_.maxItems;
  const int itemSize = header_.itemSize;
  const int n = Get16(p);
  auto where = [&]() { return "Seite " + std::to_string(offset) + ": "; };
  if (n > max) {
    fault(where() + std::to_string(n) + " Einträge, höchstens " + std::to_string(max));
  }
  const int tableEnd = 2 + 2 * (max + 1);
  std::vector<int> used;
  used.reserve(static_cast<size_t>(n) + 1);
  for (int k = 0; k <= n; ++k) {
    int slot = Get16(p + 2 + 2 * k);
    if (slot < tableEnd || slot + itemSize > static_cast<int>(kPageSize)) {
      fault(where() + "Eintrag " + std::to_string(k) + " liegt außerhalb der Seite (" +
            std::to_string(slot) + ")");
    }
    used.push_back(slot);
  }
  std::sort(used.begin(), used.end());
  for (size_t k = 1; k < used.size(); ++k) {
    if (used[k] - used[k - 1] < itemSize) fault(where() + "Einträge überlappen");
  }
  const bool leaf = Get32(p + Get16(p + 2 + 2 * n)) == 0;
  for (int k = 0; k <= n; ++k) {
    uint32_t c = Get32(p + Get16(p + 2 + 2 * k));
    if (leaf && c != 0) fault(where() + "Blattseite mit Verweis auf Seite " + std::to_string(c));
    if (!leaf && !pageOffsetOk(c)) {
      fault(where() + "Verweis auf Seite " + std::to_string(c) + " außerhalb der Datei");
    }
    if (c == offset) fault(where() + "verweist auf sich selbst");
  }
  // The free slots behind the used ones must be usable for inserts; if they
  // are not, lay the page out afresh (in memory; written only when changed).
  bool freeSlotsOk = true;
  std::vector<int> all = used;
  for (int k = n + 1; k <= max && freeSlotsOk; ++k) {
    int slot = Get16(p + 2 + 2 * k);
    if (slot < tableEnd || slot + itemSize > static_cast<int>(kPageSize)) freeSlotsOk = false;
    all.push_back(slot);
  }
  if (freeSlotsOk) {
    std::sort(all.begin(), all.end());
    for (size_t k = 1; k < all.size(); ++k) {
      if (all[k] - all[k - 1] < itemSize) freeSlotsOk = false;
    }
  }
  pg.validated = true;
  if (!freeSlotsOk) {
    Node node = decode(offset);
    bool wasDirty = pg.dirty;
    encode(node, offset);
    pg.dirty = wasDirty;
    if (!wasDirty) dirty_.pop_back();
  }
}

uint8_t* NtxFile::Impl::rawPage(uint32_t offset) {
  if (!pageOffsetOk(offset)) fault("Seite " + std::to_string(offset) + " außerhalb der Datei");
  size_t index = offset / kPageSize;
  if (index >= pages_.size()) pages_.resize(index + 1);
  if (!pages_[index]) {
    auto pg = std::make_unique<Page>();
    ssize_t got = ::pread(fd_, pg->bytes.data(), kPageSize, offset);
    if (got != static_cast<ssize_t>(kPageSize)) {
      fault("Seite " + std::to_string(offset) + " nicht lesbar");
    }
    pages_[index] = std::move(pg);
  }
  return pages_[index]->bytes.data();
}

const uint8_t* NtxFile::Impl::page(uint32_t offset) {
  uint8_t* bytes = rawPage(offset);
  Page& pg = *pages_[offset / kPageSize];
  if (!pg.validated) validatePage(pg, offset);
  return bytes;
}

void NtxFile::Impl::Node::insertItem(int i, std::string_view key, uint32_t recNo, uint32_t rightChild,
                                     int keySize) {
  keys.insert(static_cast<size_t>(i) * keySize, key.data(), static_cast<size_t>(keySize));
  rec.insert(rec.begin() + i, recNo);
  child.insert(child.begin() + i + 1, rightChild);
  ++n;
}

void NtxFile::Impl::Node::eraseItem(int i, int childIndex, int keySize) {
  keys.erase(static_cast<size_t>(i) * keySize, static_cast<size_t>(keySize));
  rec.erase(rec.begin() + i);
  child.erase(child.begin() + childIndex);
  --n;
}

uint8_t* NtxFile::Impl::pageForChange(uint32_t offset) {
  page(offset);
  Page& pg = *pages_[offset / kPageSize];
  if (!pg.dirty) {
    pg.dirty = true;
    dirty_.push_back(offset);
  }
  return pg.bytes.data();
}

NtxFile::Impl::Node NtxFile::Impl::decode(uint32_t offset) {
  const uint8_t* p = page(offset);
  Node node;
  node.n = count(p);
  const int ks = header_.keySize;
  node.child.resize(static_cast<size_t>(node.n) + 1);
  node.rec.resize(static_cast<size_t>(node.n));
  node.keys.resize(static_cast<size_t>(node.n) * ks);
  for (int k = 0; k < node.n; ++k) {
    node.child[k] = child(p, k);
    node.rec[k] = recAt(p, k);
    std::memcpy(&node.keys[static_cast<size_t>(k) * ks], keyAt(p, k), static_cast<size_t>(ks));
  }
  node.child[node.n] = child(p, node.n);
  return node;
}

void NtxFile::Impl::encode(const Node& node, uint32_t offset) {
  uint8_t* p = rawPage(offset);
  Page& pg = *pages_[offset / kPageSize];
  const int ks = header_.keySize;
  const int itemSize = header_.itemSize;
  const int first = FirstSlotOffset(header_.maxItems);
  std::memset(p, 0, kPageSize);
  Put16(p, static_cast<uint32_t>(node.n));
  for (int k = 0; k <= header_.maxItems; ++k) {
    Put16(p + 2 + 2 * k, static_cast<uint32_t>(first + k * itemSize));
  }
  for (int k = 0; k <= node.n; ++k) {
    uint8_t* slot = p + first + k * itemSize;
    Put32(slot, node.child[k]);
    if (k < node.n) {
      Put32(slot + 4, node.rec[k]);
      std::memcpy(slot + 8, &node.keys[static_cast<size_t>(k) * ks], static_cast<size_t>(ks));
    }
  }
  pg.validated = true;
  if (!pg.dirty) {
    pg.dirty = true;
    dirty_.push_back(offset);
  }
}

uint32_t NtxFile::Impl::allocPage() {
  if (header_.freePage != 0) {
    uint32_t offset = header_.freePage;
    uint8_t* p = rawPage(offset);
    uint32_t next = Get32(p);
    if (next != 0 && (!pageOffsetOk(next) || next == offset)) {
      fault("Liste freier Seiten verweist auf " + std::to_string(next));
    }
    header_.freePage = next;
    headerDirty_ = true;
    return offset;
  }
  uint64_t end = (fileSize_ + kPageSize - 1) / kPageSize * kPageSize;
  if (end + kPageSize > 0xFFFFFC00ULL) fault("Indexdatei zu groß");
  uint32_t offset = static_cast<uint32_t>(end);
  fileSize_ = end + kPageSize;
  size_t index = offset / kPageSize;
  if (index >= pages_.size()) pages_.resize(index + 1);
  pages_[index] = std::make_unique<Page>();
  return offset;
}

void NtxFile::Impl::freePage(uint32_t offset) {
  uint8_t* p = rawPage(offset);
  Page& pg = *pages_[offset / kPageSize];
  std::memset(p, 0, kPageSize);
  Put32(p, header_.freePage);
  pg.validated = false;
  if (!pg.dirty) {
    pg.dirty = true;
    dirty_.push_back(offset);
  }
  header_.freePage = offset;
  headerDirty_ = true;
}

void NtxFile::Impl::dropCache() {
  pages_.clear();
  dirty_.clear();
  headerDirty_ = false;
  ++generation_;
}

void NtxFile::Impl::writePending() {
  if (dirty_.empty() && !headerDirty_) return;
  std::sort(dirty_.begin(), dirty_.end());
  for (uint32_t offset : dirty_) {
    Page& pg = *pages_[offset / kPageSize];
    if (::pwrite(fd_, pg.bytes.data(), kPageSize, offset) != static_cast<ssize_t>(kPageSize)) {
      throw RuntimeError("Indexdatei nicht schreibbar: " + path_, std::strerror(errno));
    }
    pg.dirty = false;
  }
  dirty_.clear();
  if (headerDirty_) {
    uint8_t head[10];
    Put16(head, header_.version);
    Put32(head + 2, header_.root);
    Put32(head + 6, header_.freePage);
    if (::pwrite(fd_, head, sizeof head, 2) != static_cast<ssize_t>(sizeof head)) {
      throw RuntimeError("Indexdatei nicht schreibbar: " + path_, std::strerror(errno));
    }
    headerDirty_ = false;
  }
}

void NtxFile::Impl::changed() {
  header_.version = static_cast<uint16_t>(header_.version + 1);
  headerDirty_ = true;
  ++generation_;
}

bool NtxFile::Impl::lockBegin(bool wait) {
  if (broken_) {
    throw RuntimeError("Indexdatei nach einem Fehler nicht mehr benutzbar: " + path_);
  }
  if (!mode_.shared) return true;
  if (lockDepth_++ > 0) return true;
  try {
    if (!wait && !lock_->tryAcquire(path_.c_str())) {
      lockDepth_ = 0;
      return false;
    }
    if (wait) lock_->acquire(path_.c_str());
    uint8_t head[10];
    if (::pread(fd_, head, sizeof head, 2) != static_cast<ssize_t>(sizeof head)) fault("Kopf nicht lesbar");
    uint16_t version = Get16(head);
    uint32_t root = Get32(head + 2);
    uint32_t freePage = Get32(head + 6);
    if (version != header_.version || root != header_.root || freePage != header_.freePage) {
      // Another process changed the index: forget every cached page.
      dropCache();
      struct stat st;
      if (::fstat(fd_, &st) != 0) fault(std::strerror(errno));
      fileSize_ = static_cast<uint64_t>(st.st_size);
      header_.version = version;
      header_.root = root;
      header_.freePage = freePage;
      if (!pageOffsetOk(root)) fault("Wurzelseite " + std::to_string(root) + " außerhalb der Datei");
      if (freePage != 0 && !pageOffsetOk(freePage)) {
        fault("freie Seite " + std::to_string(freePage) + " außerhalb der Datei");
      }
    }
  } catch (...) {
    lock_->release();
    lockDepth_ = 0;
    throw;
  }
  return true;
}

void NtxFile::Impl::lockEnd(bool failed) {
  bool wasMutating = mutating_;
  mutating_ = false;
  if (failed && wasMutating) {
    if (mode_.shared) {
      // Nothing of this operation reached the file: go back to what it holds.
      dropCache();
      uint8_t head[10];
      struct stat st;
      if (::pread(fd_, head, sizeof head, 2) == static_cast<ssize_t>(sizeof head) &&
          ::fstat(fd_, &st) == 0) {
        header_.version = Get16(head);
        header_.root = Get32(head + 2);
        header_.freePage = Get32(head + 6);
        fileSize_ = static_cast<uint64_t>(st.st_size);
      } else {
        broken_ = true;
      }
    } else {
      // Earlier changes are still only in memory and this one is half done.
      broken_ = true;
    }
  }
  if (!mode_.shared) return;
  if (--lockDepth_ > 0) return;
  if (failed) {
    lock_->release();
    return;
  }
  try {
    writePending();
  } catch (...) {
    lock_->release();
    throw;
  }
  lock_->release();
}

void NtxFile::Impl::checkKey(std::string_view key) const {
  if (key.size() != static_cast<size_t>(header_.keySize)) {
    throw RuntimeError("Indexschlüssel ungültig",
                       path_ + ": Schlüssel mit " + std::to_string(key.size()) + " statt " +
                           std::to_string(header_.keySize) + " Zeichen");
  }
}

void NtxFile::Impl::checkWritable() const {
  if (mode_.readOnly) throw RuntimeError("Indexdatei ist nur zum Lesen geöffnet: " + path_);
}

}  // namespace kalvento::rt::db
