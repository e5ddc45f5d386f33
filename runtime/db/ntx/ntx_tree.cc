// The B-tree of an NTX file: searching, walking in key order, inserting with
// page splits and removing with borrowing from and merging with neighbours.
#include <cstring>

#include "runtime/db/ntx/ntx_impl.h"

namespace kalvento::rt::db {

using namespace ntx;

void NtxFile::Impl::descend(std::string_view key, bool useRec, uint32_t recNo, Path* path) {
  path->clear();
  const size_t len = std::min(key.size(), static_cast<size_t>(header_.keySize));
  useRec = useRec && len == static_cast<size_t>(header_.keySize);
  uint32_t offset = header_.root;
  for (int depth = 0;; ++depth) {
    if (depth >= kMaxDepth) fault("Baum tiefer als " + std::to_string(kMaxDepth) + " Ebenen (Zyklus?)");
    const uint8_t* p = page(offset);
    int lo = 0, hi = count(p);
    while (lo < hi) {
      int mid = (lo + hi) / 2;
      int c = len == 0 ? 0 : std::memcmp(keyAt(p, mid), key.data(), len);
      bool less = c < 0 || (c == 0 && useRec && recAt(p, mid) < recNo);
      if (less) lo = mid + 1;
      else hi = mid;
    }
    path->push_back({offset, lo});
    if (isLeaf(p)) return;
    offset = child(p, lo);
  }
}

bool NtxFile::Impl::settleForward(Path* path) {
  while (!path->empty() && path->back().idx >= count(page(path->back().page))) path->pop_back();
  return !path->empty();
}

bool NtxFile::Impl::settleBackward(Path* path) {
  while (!path->empty() && path->back().idx < 0) {
    path->pop_back();
    if (!path->empty()) path->back().idx -= 1;
  }
  return !path->empty();
}

bool NtxFile::Impl::stepForward(Path* path) {
  Frame& top = path->back();
  const uint8_t* p = page(top.page);
  top.idx += 1;
  if (!isLeaf(p)) {
    uint32_t offset = child(p, top.idx);
    for (;;) {
      if (static_cast<int>(path->size()) >= kMaxDepth) fault("Baum zu tief (Zyklus?)");
      const uint8_t* q = page(offset);
      path->push_back({offset, 0});
      if (isLeaf(q)) break;
      offset = child(q, 0);
    }
  }
  return settleForward(path);
}

bool NtxFile::Impl::stepBackward(Path* path) {
  Frame& top = path->back();
  const uint8_t* p = page(top.page);
  if (!isLeaf(p)) {
    uint32_t offset = child(p, top.idx);
    for (;;) {
      if (static_cast<int>(path->size()) >= kMaxDepth) fault("Baum zu tief (Zyklus?)");
      const uint8_t* q = page(offset);
      int n = count(q);
      if (isLeaf(q)) {
        path->push_back({offset, n - 1});
        break;
      }
      path->push_back({offset, n});
      offset = child(q, n);
    }
  } else {
    top.idx -= 1;
  }
  return settleBackward(path);
}

bool NtxFile::Impl::pathToFirst(Path* path) {
  descend(std::string_view(), false, 0, path);
  return settleForward(path);
}

bool NtxFile::Impl::pathToLast(Path* path) {
  path->clear();
  uint32_t offset = header_.root;
  for (int depth = 0;; ++depth) {
    if (depth >= kMaxDepth) fault("Baum tiefer als " + std::to_string(kMaxDepth) + " Ebenen (Zyklus?)");
    const uint8_t* p = page(offset);
    int n = count(p);
    if (isLeaf(p)) {
      path->push_back({offset, n - 1});
      break;
    }
    path->push_back({offset, n});
    offset = child(p, n);
  }
  return settleBackward(path);
}

bool NtxFile::Impl::entryEquals(const Path& path, std::string_view key, uint32_t recNo) {
  const uint8_t* p = page(path.back().page);
  int i = path.back().idx;
  return recAt(p, i) == recNo && std::memcmp(keyAt(p, i), key.data(), key.size()) == 0;
}

bool NtxFile::Impl::findExact(std::string_view key, uint32_t recNo, Path* path) {
  descend(key, true, recNo, path);
  if (settleForward(path) && entryEquals(*path, key, recNo)) return true;
  // Files of other writers may keep equal keys in another order: look at all.
  descend(key, false, 0, path);
  bool on = settleForward(path);
  while (on) {
    const uint8_t* p = page(path->back().page);
    int i = path->back().idx;
    if (std::memcmp(keyAt(p, i), key.data(), key.size()) != 0) break;
    if (recAt(p, i) == recNo) return true;
    on = stepForward(path);
  }
  path->clear();
  return false;
}

// The common case of a leaf with room: the new item goes into the first free
// slot and only the offset table is reordered, as the classic writers do.
bool NtxFile::Impl::insertInLeaf(const Frame& at, std::string_view key, uint32_t recNo) {
  uint8_t* p = pageForChange(at.page);
  const int n = count(p);
  if (n >= header_.maxItems) return false;
  uint8_t* table = p + 2;
  const uint16_t slot = Get16(table + 2 * (n + 1));
  Put32(p + slot, 0);
  Put32(p + slot + 4, recNo);
  std::memcpy(p + slot + 8, key.data(), key.size());
  std::memmove(table + 2 * (at.idx + 1), table + 2 * at.idx, static_cast<size_t>(2 * (n + 1 - at.idx)));
  Put16(table + 2 * at.idx, slot);
  Put16(p, static_cast<uint32_t>(n + 1));
  return true;
}

// Removing from a leaf that stays at least half full (or is the root): the
// freed slot moves behind the used ones.
bool NtxFile::Impl::removeFromLeaf(const Frame& at, bool isRoot) {
  const uint8_t* cp = page(at.page);
  const int n = count(cp);
  if (!isRoot && n - 1 < header_.halfPage) return false;
  uint8_t* p = pageForChange(at.page);
  uint8_t* table = p + 2;
  const uint16_t slot = Get16(table + 2 * at.idx);
  std::memmove(table + 2 * at.idx, table + 2 * (at.idx + 1), static_cast<size_t>(2 * (n - at.idx)));
  Put16(table + 2 * n, slot);
  Put16(p, static_cast<uint32_t>(n - 1));
  return true;
}

void NtxFile::Impl::insertAt(Path path, std::string_view key, uint32_t recNo) {
  if (insertInLeaf(path.back(), key, recNo)) return;
  const int ks = header_.keySize;
  std::string carryKey(key);
  uint32_t carryRec = recNo;
  uint32_t carryRight = 0;
  for (int level = static_cast<int>(path.size()) - 1; level >= 0; --level) {
    Node node = decode(path[level].page);
    node.insertItem(path[level].idx, carryKey, carryRec, carryRight, ks);
    if (node.n <= header_.maxItems) {
      encode(node, path[level].page);
      return;
    }
    // Split: the middle item moves up, the right half goes to a new page.
    const int mid = node.n / 2;
    Node right;
    right.n = node.n - mid - 1;
    right.child.assign(node.child.begin() + mid + 1, node.child.end());
    right.rec.assign(node.rec.begin() + mid + 1, node.rec.end());
    right.keys = node.keys.substr(static_cast<size_t>(mid + 1) * ks);
    carryKey = node.keys.substr(static_cast<size_t>(mid) * ks, static_cast<size_t>(ks));
    carryRec = node.rec[mid];
    node.n = mid;
    node.child.resize(static_cast<size_t>(mid) + 1);
    node.rec.resize(static_cast<size_t>(mid));
    node.keys.resize(static_cast<size_t>(mid) * ks);
    uint32_t rightPage = allocPage();
    encode(node, path[level].page);
    encode(right, rightPage);
    carryRight = rightPage;
  }
  // The root split: a new root above the two halves.
  Node root;
  root.n = 1;
  root.child = {path[0].page, carryRight};
  root.rec = {carryRec};
  root.keys = carryKey;
  uint32_t rootPage = allocPage();
  encode(root, rootPage);
  header_.root = rootPage;
  headerDirty_ = true;
}

void NtxFile::Impl::removeAt(Path path) {
  const int ks = header_.keySize;
  Frame found = path.back();
  const uint8_t* p = page(found.page);
  if (!isLeaf(p)) {
    // An entry on a branch page is replaced by its predecessor, the last
    // entry of the leaf at the right end of its left subtree.
    uint32_t offset = child(p, found.idx);
    for (;;) {
      if (static_cast<int>(path.size()) >= kMaxDepth) fault("Baum zu tief (Zyklus?)");
      const uint8_t* q = page(offset);
      int n = count(q);
      if (isLeaf(q)) {
        if (n == 0) fault("Seite " + std::to_string(offset) + ": leere Blattseite unter einer Verzweigung");
        path.push_back({offset, n - 1});
        break;
      }
      path.push_back({offset, n});
      offset = child(q, n);
    }
    Node leaf = decode(path.back().page);
    Node branch = decode(found.page);
    int last = leaf.n - 1;
    branch.rec[found.idx] = leaf.rec[last];
    std::memcpy(&branch.keys[static_cast<size_t>(found.idx) * ks], &leaf.keys[static_cast<size_t>(last) * ks],
                static_cast<size_t>(ks));
    leaf.eraseItem(last, last + 1, ks);
    encode(branch, found.page);
    encode(leaf, path.back().page);
  } else {
    if (removeFromLeaf(found, path.size() == 1)) return;
    Node leaf = decode(found.page);
    leaf.eraseItem(found.idx, found.idx + 1, ks);
    encode(leaf, found.page);
  }
  fixUnderflow(path);
}

void NtxFile::Impl::fixUnderflow(Path& path) {
  const int ks = header_.keySize;
  const int half = header_.halfPage;
  for (int level = static_cast<int>(path.size()) - 1; level > 0; --level) {
    uint32_t offset = path[level].page;
    Node node = decode(offset);
    if (node.n >= half) break;
    uint32_t parentPage = path[level - 1].page;
    Node parent = decode(parentPage);
    int j = path[level - 1].idx;  // this page is the parent's child j
    if (parent.n == 0) break;     // a branch page of other writers with no key: no neighbour
    const bool leaf = node.child[0] == 0;
    auto neighbour = [&](uint32_t at) {
      Node other = decode(at);
      if ((other.child[0] == 0) != leaf) fault("Seite " + std::to_string(at) + ": Blattseiten auf verschiedenen Ebenen");
      return other;
    };
    auto sepKey = [&](int i) { return std::string_view(parent.keys).substr(static_cast<size_t>(i) * ks, ks); };
    if (j > 0) {
      uint32_t leftPage = parent.child[j - 1];
      Node left = neighbour(leftPage);
      if (left.n > half) {
        // Borrow through the parent from the left neighbour.
        node.keys.insert(0, sepKey(j - 1));
        node.rec.insert(node.rec.begin(), parent.rec[j - 1]);
        node.child.insert(node.child.begin(), left.child.back());
        ++node.n;
        std::memcpy(&parent.keys[static_cast<size_t>(j - 1) * ks], &left.keys[static_cast<size_t>(left.n - 1) * ks],
                    static_cast<size_t>(ks));
        parent.rec[j - 1] = left.rec.back();
        left.eraseItem(left.n - 1, left.n, ks);
        encode(left, leftPage);
        encode(node, offset);
        encode(parent, parentPage);
        return;
      }
    }
    if (j < parent.n) {
      uint32_t rightPage = parent.child[j + 1];
      Node right = neighbour(rightPage);
      if (right.n > half) {
        // Borrow through the parent from the right neighbour.
        node.keys.append(sepKey(j));
        node.rec.push_back(parent.rec[j]);
        node.child.push_back(right.child.front());
        ++node.n;
        std::memcpy(&parent.keys[static_cast<size_t>(j) * ks], right.keys.data(), static_cast<size_t>(ks));
        parent.rec[j] = right.rec.front();
        right.eraseItem(0, 0, ks);
        encode(right, rightPage);
        encode(node, offset);
        encode(parent, parentPage);
        return;
      }
    }
    // Merge with a neighbour and the separator between them.
    int sep = j > 0 ? j - 1 : j;
    uint32_t leftPage = parent.child[sep];
    uint32_t rightPage = parent.child[sep + 1];
    Node left = sep == j ? node : neighbour(leftPage);
    Node right = sep == j ? neighbour(rightPage) : node;
    if (left.n + 1 + right.n > header_.maxItems) fault("Seiten zu voll zum Zusammenlegen");
    left.keys.append(sepKey(sep));
    left.rec.push_back(parent.rec[sep]);
    left.keys.append(right.keys);
    left.rec.insert(left.rec.end(), right.rec.begin(), right.rec.end());
    left.child.insert(left.child.end(), right.child.begin(), right.child.end());
    left.n += 1 + right.n;
    parent.eraseItem(sep, sep + 1, ks);
    encode(left, leftPage);
    freePage(rightPage);
    encode(parent, parentPage);
  }
  // A root left without entries hands over to its only child.
  const uint8_t* root = page(header_.root);
  if (count(root) == 0 && !isLeaf(root)) {
    uint32_t old = header_.root;
    header_.root = child(root, 0);
    headerDirty_ = true;
    freePage(old);
  }
}

}  // namespace kalvento::rt::db
