#include "runtime/db/dbf_table.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/clock.h"
#include "runtime/db/file_locks.h"
#include "runtime/db/io.h"
#include "runtime/runtime_error.h"
#include "runtime/text.h"

namespace kalvento::rt::db {
namespace {

// Long enough for other appenders, who hold the append lock for microseconds;
// short, because callers retry a failed append on their own half-second rhythm.
constexpr Clock::Duration kAppendLockPatience{100};
constexpr size_t kPendingBytes = 256 * 1024;

// The number right-aligned in `width` with `decimals` places, as "%*.*f" writes
// it; whole multiples of the last place (the common case) skip printf.
int FormatNumber(double v, int width, int decimals, char* buf, size_t size) {
  if (!std::isfinite(v)) return -1;
  static const double kScale[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  if (decimals <= 9) {
    double scaled = v * kScale[decimals];
    if (std::fabs(scaled) < 1e15 && scaled == std::nearbyint(scaled) &&
        !(v == 0 && std::signbit(v))) {
      long long units = static_cast<long long>(scaled);
      bool negative = units < 0;
      unsigned long long u = negative ? static_cast<unsigned long long>(-units) : units;
      char digits[32];
      int len = 0;
      for (int d = 0; d < decimals || u > 0 || len <= decimals; ++d) {
        if (d == decimals && decimals > 0) digits[len++] = '.';
        digits[len++] = static_cast<char>('0' + u % 10);
        u /= 10;
      }
      if (negative) digits[len++] = '-';
      int total = std::max(width, len);
      if (static_cast<size_t>(total) >= size) return -1;
      int pad = total - len;
      for (int i = 0; i < pad; ++i) buf[i] = ' ';
      for (int i = 0; i < len; ++i) buf[pad + i] = digits[len - 1 - i];
      buf[total] = '\0';
      return total;
    }
  }
  return std::snprintf(buf, size, "%*.*f", width, decimals, v);
}

struct HeaderLockRelease {
  int fd;
  ~HeaderLockRelease() { Unlock(fd, kLockBase, 1); }
};

bool IsBlank(std::string_view s) {
  for (char c : s) {
    if (c != ' ' && c != '\0') return false;
  }
  return true;
}

std::string FieldFault(const std::string& path, const FieldInfo& f) {
  return path + ", Feld " + f.name;
}

void TodayInto(DbfHeader* h) {
  Date today = Date::Today();
  today.ToYmd(&h->year, &h->month, &h->day);
}

}  // namespace

std::string DbfTable::MemoPathFor(const std::string& dbfPath) {
  size_t slash = dbfPath.rfind('/');
  size_t dot = dbfPath.rfind('.');
  std::string stem = (dot != std::string::npos && (slash == std::string::npos || dot > slash))
                         ? dbfPath.substr(0, dot)
                         : dbfPath;
  std::string ext = dot != std::string::npos ? dbfPath.substr(dot) : std::string();
  bool upper = !ext.empty() && ext[1] >= 'A' && ext[1] <= 'Z';
  std::string memo = stem + (upper ? ".DBT" : ".dbt");
  // A memo file written under the other spelling still belongs to the table.
  if (::access(memo.c_str(), F_OK) != 0) {
    std::string other = stem + (upper ? ".dbt" : ".DBT");
    if (::access(other.c_str(), F_OK) == 0) return other;
  }
  return memo;
}

DbfTable::OpenResult DbfTable::Open(const std::string& hostPath, bool exclusive, bool readOnly) {
  int fd = ::open(hostPath.c_str(), (readOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
  if (fd < 0) {
    throw RuntimeError("Tabelle kann nicht geöffnet werden: " + hostPath, std::strerror(errno));
  }
  std::unique_ptr<DbfTable> t(new DbfTable);
  t->fd_ = fd;
  t->path_ = hostPath;
  t->exclusive_ = exclusive;
  t->readOnly_ = readOnly;
  // A read-only descriptor can hold only read locks; it then counts as a shared user.
  bool gotShareLock = exclusive && !readOnly ? TryWriteLock(fd, kShareLockOffset, 1)
                                             : TryReadLock(fd, kShareLockOffset, 1);
  if (!gotShareLock) return OpenResult{nullptr, true};
  // The header first, the size after: another user's append writes its record
  // before the count, so a count read earlier never exceeds a size read later.
  std::string head(kDbfMaxHeaderLength, '\0');
  head.resize(PreadSome(fd, head.data(), head.size(), 0, hostPath));
  uint64_t size = FileSize(fd, hostPath);
  t->header_ = ParseDbfHeader(head, size, hostPath);
  if (t->header_.hasMemo()) {
    if (t->header_.version == 0x30 || t->header_.version == 0x31 || t->header_.version == 0xF5)
      throw RuntimeError("Tabelle kann nicht geöffnet werden: " + hostPath,
                         "Memodateien im FoxPro-Format werden nicht unterstützt");
    t->memo_ = std::make_unique<DbtMemo>(MemoPathFor(hostPath), readOnly);
  }
  return OpenResult{std::move(t), false};
}

void DbfTable::Create(const std::string& hostPath, std::vector<FieldInfo> fields) {
  if (fields.empty()) throw RuntimeError("Tabelle ohne Felder: " + hostPath);
  DbfHeader h;
  for (FieldInfo& f : fields) NormalizeFieldDefinition(&f);
  for (size_t i = 0; i < fields.size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      if (fields[i].name == fields[j].name)
        throw RuntimeError("Feldname doppelt: " + fields[i].name, hostPath);
    }
  }
  h.fields = std::move(fields);
  TodayInto(&h);
  std::string bytes = BuildDbfHeader(&h);
  bytes.push_back(0x1A);
  // Never pull a table from under someone who has it open.
  int probe = ::open(hostPath.c_str(), O_RDWR | O_CLOEXEC);
  if (probe >= 0) {
    bool free = TryWriteLock(probe, kShareLockOffset, 1);
    ::close(probe);
    if (!free)
      throw RuntimeError("Tabelle wird benutzt und kann nicht neu angelegt werden: " + hostPath);
  }
  if (h.hasMemo()) DbtMemo::Create(MemoPathFor(hostPath));
  WriteWholeFile(hostPath, bytes);
}

DbfTable::~DbfTable() {
  if (fd_ < 0) return;
  try {
    flushPending();
    if (headerDirty_) writeDate();
  } catch (const RuntimeError&) {
    // Closing cannot report; commit() is where write errors surface.
  }
  if (mapBase_ != nullptr) ::munmap(const_cast<char*>(mapBase_), mapReserved_);
  ::close(fd_);  // releases every lock of this open file description
}

int DbfTable::fieldIndex(std::string_view name) const {
  for (size_t i = 0; i < header_.fields.size(); ++i) {
    if (EqualsIgnoreCase(header_.fields[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

uint32_t DbfTable::refreshCount() {
  unsigned char b[4];
  PreadExact(fd_, b, 4, 4, path_);
  uint32_t count = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
  uint64_t size = FileSize(fd_, path_);
  if (header_.headerLength + static_cast<uint64_t>(count) * header_.recordLength > size)
    throw RuntimeError("Tabelle beschädigt: " + path_,
                       "Satzanzahl " + std::to_string(count) + " übersteigt die Dateigröße");
  header_.recordCount = count;
  return count;
}

void DbfTable::readRecord(uint32_t n, std::string* out) {
  const uint32_t len = header_.recordLength;
  if (n == 0 || n > header_.recordCount)
    throw RuntimeError("Satznummer außerhalb der Tabelle: " + path_, std::to_string(n));
  out->resize(len);
  if (pendingCount_ > 0 && n >= pendingFirst_) {
    std::memcpy(out->data(), pending_.data() + static_cast<size_t>(n - pendingFirst_) * len, len);
    return;
  }
  const uint64_t at = header_.headerLength + static_cast<uint64_t>(n - 1) * len;
  if (exclusive_ && mapped(at + len)) {
    std::memcpy(out->data(), mapBase_ + at, len);
    return;
  }
  PreadExact(fd_, out->data(), len, header_.headerLength + static_cast<uint64_t>(n - 1) * len,
             path_);
}

void DbfTable::writeRecord(uint32_t n, std::string_view record) {
  if (readOnly_) throw RuntimeError("Tabelle ist nur zum Lesen geöffnet: " + path_);
  const uint32_t len = header_.recordLength;
  if (pendingCount_ > 0 && n >= pendingFirst_) {
    std::memcpy(pending_.data() + static_cast<size_t>(n - pendingFirst_) * len, record.data(), len);
    return;
  }
  PwriteAll(fd_, record.data(), len, header_.headerLength + static_cast<uint64_t>(n - 1) * len,
            path_);
  headerDirty_ = true;
}

void DbfTable::writeFields(uint32_t n, std::string_view record) {
  if (readOnly_) throw RuntimeError("Tabelle ist nur zum Lesen geöffnet: " + path_);
  const uint32_t len = header_.recordLength;
  if (pendingCount_ > 0 && n >= pendingFirst_) {
    std::memcpy(pending_.data() + static_cast<size_t>(n - pendingFirst_) * len + 1,
                record.data() + 1, len - 1);
    return;
  }
  PwriteAll(fd_, record.data() + 1, len - 1,
            header_.headerLength + static_cast<uint64_t>(n - 1) * len + 1, path_);
  headerDirty_ = true;
}

void DbfTable::writeDeletedFlag(uint32_t n, bool deleted) {
  if (readOnly_) throw RuntimeError("Tabelle ist nur zum Lesen geöffnet: " + path_);
  char flag = deleted ? '*' : ' ';
  const uint32_t len = header_.recordLength;
  if (pendingCount_ > 0 && n >= pendingFirst_) {
    pending_[static_cast<size_t>(n - pendingFirst_) * len] = flag;
    return;
  }
  PwriteAll(fd_, &flag, 1, header_.headerLength + static_cast<uint64_t>(n - 1) * len, path_);
  headerDirty_ = true;
}

uint32_t DbfTable::appendRecord(std::string_view record) {
  if (readOnly_) throw RuntimeError("Tabelle ist nur zum Lesen geöffnet: " + path_);
  if (exclusive_ || fileLocked_) return appendUnderLock(record, false);
  WaitWriteLock(fd_, kLockBase, 1);
  HeaderLockRelease release{fd_};
  return appendUnderLock(record, false);
}

bool DbfTable::mapped(uint64_t end) {
  if (end <= mapValid_) return true;
  uint64_t size = FileSize(fd_, path_);
  if (end > size) return false;
  if (size > mapReserved_) {
    if (mapBase_ != nullptr) ::munmap(const_cast<char*>(mapBase_), mapReserved_);
    mapBase_ = nullptr;
    mapValid_ = 0;
    // Room to grow: the file's pages beyond its old end become readable as it grows.
    size_t reserve = static_cast<size_t>(std::max<uint64_t>(size * 2, 64u << 20));
    void* base = ::mmap(nullptr, reserve, PROT_READ, MAP_SHARED, fd_, 0);
    if (base == MAP_FAILED) {
      mapReserved_ = 0;
      return false;
    }
    mapBase_ = static_cast<const char*>(base);
    mapReserved_ = reserve;
  }
  mapValid_ = size;
  return true;
}

void DbfTable::readRecords(uint32_t first, uint32_t count, std::string* out) {
  flushPending();
  const uint32_t len = header_.recordLength;
  if (first == 0 || first + static_cast<uint64_t>(count) - 1 > header_.recordCount)
    throw RuntimeError("Satznummer außerhalb der Tabelle: " + path_,
                       std::to_string(first + count - 1));
  out->resize(static_cast<size_t>(count) * len);
  PreadExact(fd_, out->data(), out->size(),
             header_.headerLength + static_cast<uint64_t>(first - 1) * len, path_);
}

void DbfTable::appendRecords(std::string_view records, uint32_t count) {
  if (!exclusive_ || readOnly_) throw RuntimeError("Tabelle nicht exklusiv geöffnet: " + path_);
  flushPending();
  const uint32_t len = header_.recordLength;
  uint64_t at = header_.headerLength + static_cast<uint64_t>(header_.recordCount) * len;
  PwriteAll(fd_, records.data(), static_cast<size_t>(count) * len, at, path_);
  const char eof = 0x1A;
  PwriteAll(fd_, &eof, 1, at + static_cast<uint64_t>(count) * len, path_);
  header_.recordCount += count;
  writeCount();
}

uint32_t DbfTable::tryAppendRecord(std::string_view record) {
  if (readOnly_) throw RuntimeError("Tabelle ist nur zum Lesen geöffnet: " + path_);
  if (exclusive_ || fileLocked_) return appendUnderLock(record, true);
  Clock& clock = CurrentClock();
  const Clock::TimePoint deadline = clock.now() + kAppendLockPatience;
  while (!TryWriteLock(fd_, kLockBase, 1)) {
    // Other appenders hold it for microseconds; a file lock for as long as it likes.
    if (clock.now() >= deadline) return 0;
    clock.sleepFor(Clock::Duration(1));
  }
  HeaderLockRelease release{fd_};
  return appendUnderLock(record, true);
}

uint32_t DbfTable::appendUnderLock(std::string_view record, bool lockNewRecord) {
  const uint32_t len = header_.recordLength;
  if (exclusive_) {
    // Nobody else sees the file: appends collect and go out in one write.
    if (pendingCount_ == 0) pendingFirst_ = header_.recordCount + 1;
    pending_.append(record.substr(0, len));
    ++pendingCount_;
    ++header_.recordCount;
    if (pending_.size() >= kPendingBytes) flushPending();
    return header_.recordCount;
  }
  readCount();
  uint32_t n = header_.recordCount + 1;
  // Locked while nobody else can see it yet; a lock someone holds on a number
  // past the end (rare) makes the append fail rather than share the record.
  if (lockNewRecord && !lockRecord(n)) return 0;
  std::string buf(record.substr(0, len));
  buf.push_back(0x1A);
  PwriteAll(fd_, buf.data(), buf.size(), header_.headerLength + static_cast<uint64_t>(n - 1) * len,
            path_);
  header_.recordCount = n;
  // The count follows the record, so a process killed in between leaves a table
  // whose count names only whole records.
  writeCount();
  return n;
}

void DbfTable::flushPending() {
  if (pendingCount_ == 0) return;
  const uint32_t len = header_.recordLength;
  pending_.push_back(0x1A);
  PwriteAll(fd_, pending_.data(), pending_.size(),
            header_.headerLength + static_cast<uint64_t>(pendingFirst_ - 1) * len, path_);
  pending_.clear();
  pendingCount_ = 0;
  // The count follows the records, as with single appends.
  writeCount();
}

void DbfTable::readCount() {
  unsigned char b[4];
  PreadExact(fd_, b, 4, 4, path_);
  header_.recordCount = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

// Only the date: the count is written with each append, and rewriting it here
// could undo another user's appends.
void DbfTable::writeDate() {
  TodayInto(&header_);
  unsigned char prefix[8];
  EncodeHeaderPrefix(header_, prefix);
  PwriteAll(fd_, prefix + 1, 3, 1, path_);
  headerDirty_ = false;
}

void DbfTable::writeCount() {
  unsigned char prefix[8];
  EncodeHeaderPrefix(header_, prefix);
  PwriteAll(fd_, prefix + 4, 4, 4, path_);
  headerDirty_ = true;
}

std::string DbfTable::blankRecord() const { return std::string(header_.recordLength, ' '); }

Value DbfTable::decodeField(int index, std::string_view record) const {
  const FieldInfo& f = header_.fields[static_cast<size_t>(index)];
  std::string_view raw =
      record.substr(static_cast<size_t>(f.offset), static_cast<size_t>(f.length));
  switch (f.type) {
    case 'C':
      return Value(std::string(raw));
    case 'N':
    case 'F': {
      char buf[40];
      size_t n = 0;
      for (char c : raw) {
        if (c != ' ' && c != '\0') buf[n++] = c;
      }
      buf[n] = '\0';
      if (n == 0) return Value(0.0);
      char* end = nullptr;
      double v = std::strtod(buf, &end);
      if (end != buf + n || !std::isfinite(v))
        throw RuntimeError("Feldinhalt ist keine Zahl: " + FieldFault(path_, f),
                           "\"" + std::string(raw) + "\"");
      return Value(v);
    }
    case 'L':
      return Value(raw[0] == 'T' || raw[0] == 't' || raw[0] == 'Y' || raw[0] == 'y');
    case 'D':
      return Value(IsBlank(raw) ? Date() : Date::FromDtos(raw));
    case 'M': {
      if (IsBlank(raw)) return Value(std::string());
      char buf[16];
      size_t n = 0;
      for (char c : raw) {
        if (c == ' ' || c == '\0') continue;
        if (c < '0' || c > '9')
          throw RuntimeError("Memoverweis ungültig: " + FieldFault(path_, f),
                             "\"" + std::string(raw) + "\"");
        buf[n++] = c;
      }
      buf[n] = '\0';
      uint32_t block = static_cast<uint32_t>(std::strtoul(buf, nullptr, 10));
      if (block == 0) return Value(std::string());
      return Value(memo_->read(block));
    }
    default:
      return Value();
  }
}

void DbfTable::encodeField(int index, const Value& value, std::string* record) {
  const FieldInfo& f = header_.fields[static_cast<size_t>(index)];
  char* out = record->data() + f.offset;
  const size_t len = static_cast<size_t>(f.length);
  auto wrongType = [&](const char* wanted) {
    throw RuntimeError("data type error", "Feld " + f.name + " erwartet " + wanted + ", erhalten " +
                                              std::string(1, value.typeLetter()));
  };
  switch (f.type) {
    case 'C': {
      if (!value.isText()) wrongType("Text");
      const std::string& t = value.text();
      size_t n = std::min(len, t.size());
      std::memcpy(out, t.data(), n);
      std::memset(out + n, ' ', len - n);
      return;
    }
    case 'N':
    case 'F': {
      if (!value.isNumber()) wrongType("Zahl");
      double v = value.number();
      char buf[64];
      int n = FormatNumber(v, f.length, f.decimals, buf, sizeof buf);
      // A number that does not fit would be stored as asterisks, losing it.
      if (n < 0 || static_cast<size_t>(n) > len)
        throw RuntimeError("Zahl passt nicht in das Feld " + f.name,
                           std::to_string(v) + " bei Länge " + std::to_string(f.length));
      std::memcpy(out, buf, len);
      return;
    }
    case 'L':
      if (!value.isLogical()) wrongType("logischen Wert");
      *out = value.logical() ? 'T' : 'F';
      return;
    case 'D':
      if (!value.isDate()) wrongType("Datum");
      std::memcpy(out, value.date().Dtos().data(), 8);
      return;
    case 'M': {
      if (!value.isText()) wrongType("Text");
      if (value.text().empty()) {
        std::memset(out, ' ', len);
        return;
      }
      if (readOnly_) throw RuntimeError("Tabelle ist nur zum Lesen geöffnet: " + path_);
      uint32_t block = memo_->write(value.text());
      char buf[16];
      std::snprintf(buf, sizeof buf, "%10u", block);
      std::memcpy(out, buf, 10);
      return;
    }
    default:
      return;
  }
}

void DbfTable::commit() {
  if (readOnly_) return;
  flushPending();
  if (headerDirty_) writeDate();
  ::fdatasync(fd_);
  if (memo_) memo_->sync();
}

// While the file lock is held it covers every record byte; touching single bytes
// then would split it.
bool DbfTable::lockRecord(uint32_t n) {
  if (fileLocked_) return true;
  return TryWriteLock(fd_, RecordLockOffset(n), 1);
}

void DbfTable::unlockRecord(uint32_t n) {
  if (!fileLocked_) Unlock(fd_, RecordLockOffset(n), 1);
}

bool DbfTable::lockFile() {
  if (!fileLocked_) fileLocked_ = TryWriteLock(fd_, kLockBase, kFileLockLength);
  return fileLocked_;
}

void DbfTable::unlockAll() {
  Unlock(fd_, kLockBase, kFileLockLength);
  fileLocked_ = false;
}

}  // namespace kalvento::rt::db
