#include "runtime/db/ntx/ntx_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "runtime/db/ntx/ntx_impl.h"
#include "runtime/runtime_error.h"

namespace kalvento::rt::db {

using namespace ntx;

NtxFile::NtxFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

NtxFile::~NtxFile() {
  if (!impl_ || impl_->broken_ || impl_->mode_.readOnly) return;
  try {
    impl_->writePending();
  } catch (const RuntimeError&) {
    // Nothing to report to from a destructor; flush() reports it.
  }
}

std::unique_ptr<NtxFile> NtxFile::Open(const std::string& hostPath, NtxOpenMode mode) {
  auto impl = std::make_unique<Impl>();
  impl->openFile(hostPath, mode);
  return std::unique_ptr<NtxFile>(new NtxFile(std::move(impl)));
}

const std::string& NtxFile::path() const { return impl_->path_; }
const std::string& NtxFile::expression() const { return impl_->header_.expression; }
const std::string& NtxFile::condition() const { return impl_->header_.condition; }
int NtxFile::keySize() const { return impl_->header_.keySize; }
int NtxFile::keyDecimals() const { return impl_->header_.keyDecimals; }
bool NtxFile::unique() const { return impl_->header_.unique; }
bool NtxFile::descending() const { return impl_->header_.descending; }
const KeySpec& NtxFile::keySpec() const { return impl_->spec_; }
void NtxFile::setKeyType(char type) { impl_->spec_.type = type; }
bool NtxFile::eof() const { return impl_->eof_; }
bool NtxFile::bof() const { return impl_->bof_; }
uint32_t NtxFile::recNo() const { return impl_->eof_ ? 0 : impl_->curRec_; }
const std::string& NtxFile::key() const { return impl_->curKey_; }
uint16_t NtxFile::version() const { return impl_->header_.version; }

bool NtxFile::insert(std::string_view key, uint32_t recNo) {
  impl_->checkKey(key);
  impl_->checkWritable();
  NtxOperation op(*impl_);
  Impl::Path path;
  if (impl_->header_.unique) {
    impl_->descend(key, false, 0, &path);
    Impl::Path probe = path;
    if (impl_->settleForward(&probe)) {
      const uint8_t* p = impl_->page(probe.back().page);
      if (std::memcmp(impl_->keyAt(p, probe.back().idx), key.data(), key.size()) == 0) return false;
    }
  } else {
    impl_->descend(key, true, recNo, &path);
    Impl::Path probe = path;
    if (impl_->settleForward(&probe) && impl_->entryEquals(probe, key, recNo)) return false;
  }
  impl_->mutating_ = true;
  impl_->insertAt(std::move(path), key, recNo);
  impl_->changed();
  return true;
}

bool NtxFile::remove(std::string_view key, uint32_t recNo) {
  impl_->checkKey(key);
  impl_->checkWritable();
  NtxOperation op(*impl_);
  Impl::Path path;
  if (!impl_->findExact(key, recNo, &path)) return false;
  impl_->mutating_ = true;
  impl_->removeAt(std::move(path));
  impl_->changed();
  return true;
}

void NtxFile::Impl::setEof() {
  cursor_.clear();
  eof_ = true;
  curKey_.clear();
  curRec_ = 0;
}

void NtxFile::Impl::loadCursor() {
  const uint8_t* p = page(cursor_.back().page);
  int i = cursor_.back().idx;
  curKey_.assign(keyAt(p, i), static_cast<size_t>(header_.keySize));
  curRec_ = recAt(p, i);
  eof_ = false;
  cursorGeneration_ = generation_;
}

// After the tree changed, puts the cursor back on its entry; false if the
// entry is gone and the cursor now stands on its successor (or at end).
bool NtxFile::Impl::refreshCursor() {
  if (cursorGeneration_ == generation_) return true;
  bool exact = findExact(curKey_, curRec_, &cursor_);
  if (!exact) {
    descend(curKey_, true, curRec_, &cursor_);
    settleForward(&cursor_);
  }
  cursorGeneration_ = generation_;
  return exact;
}

bool NtxFile::seek(std::string_view key, bool soft) {
  if (key.size() > static_cast<size_t>(keySize())) key = key.substr(0, static_cast<size_t>(keySize()));
  NtxOperation op(*impl_);
  impl_->bof_ = false;
  impl_->descend(key, false, 0, &impl_->cursor_);
  if (!impl_->settleForward(&impl_->cursor_)) {
    impl_->setEof();
    return false;
  }
  const uint8_t* p = impl_->page(impl_->cursor_.back().page);
  bool found = key.empty() || std::memcmp(impl_->keyAt(p, impl_->cursor_.back().idx), key.data(), key.size()) == 0;
  if (found || soft) {
    impl_->loadCursor();
  } else {
    impl_->setEof();
  }
  return found;
}

bool NtxFile::gotoEntry(std::string_view key, uint32_t recNo) {
  impl_->checkKey(key);
  NtxOperation op(*impl_);
  impl_->bof_ = false;
  if (!impl_->findExact(key, recNo, &impl_->cursor_)) {
    impl_->setEof();
    return false;
  }
  impl_->loadCursor();
  return true;
}

void NtxFile::first() {
  NtxOperation op(*impl_);
  if (impl_->pathToFirst(&impl_->cursor_)) {
    impl_->loadCursor();
    impl_->bof_ = false;
  } else {
    impl_->setEof();
    impl_->bof_ = true;
  }
}

void NtxFile::last() {
  NtxOperation op(*impl_);
  if (impl_->pathToLast(&impl_->cursor_)) {
    impl_->loadCursor();
    impl_->bof_ = false;
  } else {
    impl_->setEof();
    impl_->bof_ = true;
  }
}

void NtxFile::next() {
  if (impl_->eof_) return;
  NtxOperation op(*impl_);
  impl_->bof_ = false;
  bool on;
  if (!impl_->refreshCursor()) {
    on = !impl_->cursor_.empty();  // already on the successor
  } else {
    on = impl_->stepForward(&impl_->cursor_);
  }
  if (on) impl_->loadCursor();
  else impl_->setEof();
}

void NtxFile::prev() {
  if (impl_->eof_) {
    last();
    return;
  }
  NtxOperation op(*impl_);
  impl_->bof_ = false;
  bool on;
  if (!impl_->refreshCursor() && impl_->cursor_.empty()) {
    on = impl_->pathToLast(&impl_->cursor_);
  } else {
    on = impl_->stepBackward(&impl_->cursor_);
  }
  if (on) {
    impl_->loadCursor();
    return;
  }
  // Before the first entry: stay on it, with bof set.
  if (impl_->pathToFirst(&impl_->cursor_)) {
    impl_->loadCursor();
  } else {
    impl_->setEof();
  }
  impl_->bof_ = true;
}

void NtxFile::lock() {
  impl_->lockBegin();
}

bool NtxFile::tryLock() { return impl_->lockBegin(false); }

void NtxFile::unlock() {
  if (!impl_->mode_.shared || impl_->lockDepth_ == 0) return;
  impl_->lockEnd(false);
}

void NtxFile::flush() {
  if (impl_->mode_.readOnly) return;
  NtxOperation op(*impl_);
  impl_->writePending();
  if (::fdatasync(impl_->fd_) != 0) {
    throw RuntimeError("Indexdatei nicht schreibbar: " + impl_->path_, std::strerror(errno));
  }
}

}  // namespace kalvento::rt::db
