// Writing a new NTX file from a set of entries: sort, then build the tree
// level by level from the leaves up.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "runtime/db/ntx/ntx_impl.h"
#include "runtime/runtime_error.h"

namespace kalvento::rt::db {

using namespace ntx;

namespace {

constexpr size_t kInlineKeyBytes = 24;

// An entry while sorting: the first 24 key bytes, the record, and where the
// entry came from.
struct SortItem {
  uint64_t words[3];
  uint32_t rec;
  uint32_t index;
};

[[noreturn]] void CreateFault(const std::string& path, const std::string& what) {
  throw RuntimeError("Index kann nicht angelegt werden: " + path, what);
}

void WriteAll(int fd, const uint8_t* data, size_t size, const std::string& path) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) CreateFault(path, std::strerror(errno));
    data += n;
    size -= static_cast<size_t>(n);
  }
}

}  // namespace

std::unique_ptr<NtxFile> NtxFile::Create(const std::string& hostPath, const std::string& expression,
                                         const KeySpec& spec, bool unique,
                                         std::vector<KeyEntry> entries, NtxOpenMode mode) {
  if (spec.size < 1 || spec.size > kMaxKeySize) {
    CreateFault(hostPath, "Schlüssellänge " + std::to_string(spec.size) + " außerhalb 1 bis " +
                              std::to_string(kMaxKeySize));
  }
  if (spec.decimals < 0 || (spec.decimals > 0 && spec.decimals >= spec.size)) {
    CreateFault(hostPath, "Dezimalstellen " + std::to_string(spec.decimals) + " unpassend");
  }
  if (expression.empty() || expression.size() > static_cast<size_t>(kMaxExpressionLength) ||
      expression.find('\0') != std::string::npos) {
    CreateFault(hostPath, "Schlüsselausdruck leer oder länger als " +
                              std::to_string(kMaxExpressionLength) + " Zeichen");
  }
  const size_t ks = static_cast<size_t>(spec.size);
  for (const KeyEntry& e : entries) {
    if (e.key.size() != ks) {
      CreateFault(hostPath, "Schlüssel mit " + std::to_string(e.key.size()) + " statt " +
                                std::to_string(ks) + " Zeichen");
    }
    if (e.recNo == 0) CreateFault(hostPath, "Satznummer 0");
  }

  // Sort small items that carry the first 24 key bytes inline (as three
  // big-endian words) with the record number: keys of up to 24 bytes are
  // sorted, and later written, without touching the scattered key strings.
  const size_t count = entries.size();
  std::vector<SortItem> items(count);
  for (size_t i = 0; i < count; ++i) {
    const auto* k = reinterpret_cast<const unsigned char*>(entries[i].key.data());
    SortItem& item = items[i];
    for (size_t w = 0; w < 3; ++w) {
      uint64_t v = 0;
      for (size_t b = w * 8; b < w * 8 + 8; ++b) v = (v << 8) | (b < ks ? k[b] : 0);
      item.words[w] = v;
    }
    item.rec = entries[i].recNo;
    item.index = static_cast<uint32_t>(i);
  }
  auto compareKeys = [&](const SortItem& a, const SortItem& b) {
    for (int w = 0; w < 3; ++w) {
      if (a.words[w] != b.words[w]) return a.words[w] < b.words[w] ? -1 : 1;
    }
    if (ks <= kInlineKeyBytes) return 0;
    return std::memcmp(entries[a.index].key.data() + kInlineKeyBytes,
                       entries[b.index].key.data() + kInlineKeyBytes, ks - kInlineKeyBytes);
  };
  std::sort(items.begin(), items.end(), [&](const SortItem& a, const SortItem& b) {
    int c = compareKeys(a, b);
    return c < 0 || (c == 0 && a.rec < b.rec);
  });
  // Drop repeated entries, and for a unique index every record after the
  // first of its key.
  {
    size_t kept = 0;
    for (size_t i = 0; i < count; ++i) {
      if (kept > 0 && compareKeys(items[kept - 1], items[i]) == 0 &&
          (unique || items[kept - 1].rec == items[i].rec)) {
        continue;
      }
      items[kept++] = items[i];
    }
    items.resize(kept);
  }

  NtxHeader header = NewHeader(expression, spec.size, spec.decimals, unique);
  const int max = header.maxItems;
  const int first = FirstSlotOffset(max);
  const int itemSize = header.itemSize;

  // Page images; page 0 is the header. The page count is known beforehand
  // (see the level loop below), so the image is never moved while it grows.
  size_t totalPages = 1;
  for (size_t m = items.size();;) {
    size_t pagesHere = std::max<size_t>(1, (m + 1 + max) / (max + 1));
    totalPages += pagesHere;
    if (pagesHere == 1) break;
    m = pagesHere - 1;
  }
  std::vector<uint8_t> file(kPageSize, 0);
  file.reserve(totalPages * kPageSize);
  auto newPage = [&]() {
    file.resize(file.size() + kPageSize, 0);
    uint8_t* p = &file[file.size() - kPageSize];
    for (int k = 0; k <= max; ++k) Put16(p + 2 + 2 * k, static_cast<uint32_t>(first + k * itemSize));
    return static_cast<uint32_t>(file.size() - kPageSize);
  };
  auto setItem = [&](uint32_t pageOffset, int k, uint32_t childPage, const SortItem* e) {
    uint8_t* slot = &file[pageOffset + first + static_cast<size_t>(k) * itemSize];
    Put32(slot, childPage);
    if (e != nullptr) {
      Put32(slot + 4, e->rec);
      if (ks <= kInlineKeyBytes) {
        for (size_t b = 0; b < ks; ++b) slot[8 + b] = static_cast<uint8_t>(e->words[b / 8] >> (56 - 8 * (b % 8)));
      } else {
        std::memcpy(slot + 8, entries[e->index].key.data(), ks);
      }
    }
  };

  // Each level's entries are split into pages with one separator between
  // neighbouring pages; the separators are the next level's entries, and the
  // pages of this level are the children of the next.
  std::vector<uint32_t> level(items.size());
  for (size_t i = 0; i < level.size(); ++i) level[i] = static_cast<uint32_t>(i);
  std::vector<uint32_t> children;  // pages of the level below, in order
  for (;;) {
    const size_t m = level.size();
    const size_t pagesHere = std::max<size_t>(1, (m + 1 + max) / (max + 1));
    const size_t onPages = m - (pagesHere - 1);
    const size_t base = onPages / pagesHere, extra = onPages % pagesHere;
    std::vector<uint32_t> separators;
    std::vector<uint32_t> pages;
    separators.reserve(pagesHere);
    pages.reserve(pagesHere);
    size_t next = 0, nextChild = 0;
    for (size_t pg = 0; pg < pagesHere; ++pg) {
      const size_t n = base + (pg < extra ? 1 : 0);
      uint32_t offset = newPage();
      pages.push_back(offset);
      Put16(&file[offset], static_cast<uint32_t>(n));
      for (size_t k = 0; k < n; ++k) {
        uint32_t c = children.empty() ? 0 : children[nextChild++];
        setItem(offset, static_cast<int>(k), c, &items[level[next++]]);
      }
      setItem(offset, static_cast<int>(n), children.empty() ? 0 : children[nextChild++], nullptr);
      if (pg + 1 < pagesHere) separators.push_back(level[next++]);
    }
    if (pagesHere == 1) {
      header.root = pages[0];
      break;
    }
    level = std::move(separators);
    children = std::move(pages);
  }
  WriteHeader(header, file.data());

  // Into place through a temporary file, so a failure leaves any old index whole.
  std::string temp = hostPath + ".tmp" + std::to_string(::getpid());
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) CreateFault(hostPath, std::strerror(errno));
  try {
    WriteAll(fd, file.data(), file.size(), hostPath);
    if (::fdatasync(fd) != 0) CreateFault(hostPath, std::strerror(errno));
  } catch (...) {
    ::close(fd);
    ::unlink(temp.c_str());
    throw;
  }
  ::close(fd);
  if (::rename(temp.c_str(), hostPath.c_str()) != 0) {
    int err = errno;
    ::unlink(temp.c_str());
    CreateFault(hostPath, std::strerror(err));
  }
  auto result = Open(hostPath, mode);
  result->setKeyType(spec.type);
  return result;
}

}  // namespace kalvento::rt::db
