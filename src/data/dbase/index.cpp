// NDX index files: the page cache, key expressions, search, ordered
// navigation, insertion with page splits, removal, creating and opening
// indexes.
#include "data/dbase/index.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>

#include "core/shortstring.h"

namespace vestil {
namespace {

constexpr int kMaxDepth = 40;
// Bytes 8..11 of the header while changes may be missing from the file (an
// index not closed after a change): "UPD!". A cleanly closed index has 0.
constexpr uint32_t kUpdateMark = 0x21445055;
// The most pages an index may have: 2 GiB.
constexpr int32_t kMaxNdxPages = 0x7fffffff / kNdxPageSize;

// --- page cache -----------------------------------------------------------------

// A page that could not be read or written in full.
void PageFailed(DbEngine& db, NdxIndex& x) {
  x.failed = true;
  ++x.failures;
  db.Fail(100, x.file_name);
}

// A page number, a count or a walk that the file cannot hold.
void Damaged(DbEngine& db, NdxIndex& x) {
  x.failed = true;
  ++x.failures;
  db.Fail(901, x.file_name);
}

// True when page lies on the descent path already: a pointer back up.
bool OnPath(const NdxIndex& x, int32_t page) {
  for (const NdxLevel& l : x.path)
    if (l.page == page) return true;
  return false;
}

// Moves cache entry slot (at position pos of the order) to the front.
void ToFront(NdxIndex& x, int pos) {
  int slot = x.order[pos];
  for (int i = pos; i > 0; --i) x.order[i] = x.order[i - 1];
  x.order[0] = slot;
}

int FindCached(const NdxIndex& x, int32_t page) {
  for (int i = 0; i < kNdxCachePages; ++i)
    if (x.pages[x.order[i]].page == page) return i;
  return -1;
}

bool WriteBack(NdxIndex& x, NdxCacheEntry& e) {
  if (!e.changed) return true;
  e.changed = false;
  return x.cache.Write(x.file.get(), int64_t(e.page) * kNdxPageSize, e.bytes, kNdxPageSize);
}

// The cached bytes of page n, or null when it cannot be read.
uint8_t* CachedPage(DbEngine& db, NdxIndex& x, int32_t n) {
  int pos = FindCached(x, n);
  if (pos < 0) {
    pos = kNdxCachePages - 1;
    NdxCacheEntry& e = x.pages[x.order[pos]];
    if (e.page >= 0 && !WriteBack(x, e)) PageFailed(db, x);
    e.page = -1;
    if (!x.cache.Read(x.file.get(), int64_t(n) * kNdxPageSize, e.bytes, kNdxPageSize)) {
      PageFailed(db, x);
      return nullptr;
    }
    e.page = n;
  }
  ToFront(x, pos);
  return x.pages[x.order[0]].bytes;
}

bool LoadPage(DbEngine& db, NdxIndex& x, int32_t n, NdxPage& p) {
  if (n <= 0 || n >= x.next_free) {
    Damaged(db, x);
    return false;
  }
  const uint8_t* b = CachedPage(db, x, n);
  if (!b) {
    if (!x.failed) PageFailed(db, x);
    return false;
  }
  std::memcpy(p.bytes, b, kNdxPageSize);
  std::memset(p.bytes + kNdxPageSize, 0, sizeof p.bytes - kNdxPageSize);
  return true;
}

// Sets or clears the update mark in the header, in the file and in the cache.
bool WriteMark(NdxIndex& x, uint32_t mark) {
  WriteLe32(x.header + 8, mark);
  int pos = FindCached(x, 0);
  if (pos >= 0) WriteLe32(x.pages[x.order[pos]].bytes + 8, mark);
  return x.cache.Write(x.file.get(), 8, x.header + 8, 4);
}

}  // namespace

bool NdxBeginUpdate(DbEngine& db, NdxIndex& x) {
  if (x.marked) return true;
  if (!WriteMark(x, kUpdateMark)) {
    PageFailed(db, x);
    return false;
  }
  x.marked = true;
  return true;
}

namespace {

void StoreBytes(DbEngine& db, NdxIndex& x, int32_t n, const uint8_t* bytes) {
  NdxBeginUpdate(db, x);
  int pos = FindCached(x, n);
  if (pos < 0) {
    // Not cached: written at once, then cached.
    if (!x.cache.Write(x.file.get(), int64_t(n) * kNdxPageSize, bytes, kNdxPageSize)) PageFailed(db, x);
    pos = kNdxCachePages - 1;
    NdxCacheEntry& e = x.pages[x.order[pos]];
    if (e.page >= 0 && !WriteBack(x, e)) PageFailed(db, x);
    e.page = n;
    std::memcpy(e.bytes, bytes, kNdxPageSize);
    e.changed = false;
  } else {
    NdxCacheEntry& e = x.pages[x.order[pos]];
    std::memcpy(e.bytes, bytes, kNdxPageSize);
    e.changed = true;
  }
  ToFront(x, pos);
}

void StoreHeader(DbEngine& db, NdxIndex& x) {
  WriteLe32(x.header, static_cast<uint32_t>(x.root));
  WriteLe32(x.header + 4, static_cast<uint32_t>(x.next_free));
  StoreBytes(db, x, 0, x.header);
}

// --- entries --------------------------------------------------------------------

int Count(const NdxPage& p) { return static_cast<int>(ReadLe32(p.bytes)); }
void SetCount(NdxPage& p, int k) { WriteLe32(p.bytes, static_cast<uint32_t>(k)); }
uint8_t* Entry(NdxIndex& x, NdxPage& p, int i) { return p.bytes + 4 + i * x.entry_size; }
int32_t Child(NdxIndex& x, NdxPage& p, int i) { return static_cast<int32_t>(ReadLe32(Entry(x, p, i))); }
int32_t RecordOf(NdxIndex& x, NdxPage& p, int i) { return static_cast<int32_t>(ReadLe32(Entry(x, p, i) + 4)); }
std::string_view KeyOf(NdxIndex& x, NdxPage& p, int i) {
  return std::string_view(reinterpret_cast<const char*>(Entry(x, p, i) + 8), static_cast<size_t>(x.key_length));
}
bool IsInterior(NdxIndex& x, NdxPage& p) { return Child(x, p, 0) != 0; }

// A usable page: a count that fits the page.
bool Sane(NdxIndex& x, NdxPage& p) { return Count(p) >= 0 && Count(p) <= x.max_keys + 1; }

// Zeroes the bytes behind the used part of a page.
void Tidy(NdxIndex& x, NdxPage& p, bool interior) {
  size_t used = 4 + static_cast<size_t>(Count(p)) * x.entry_size + (interior ? 4 : 0);
  std::memset(p.bytes + used, 0, sizeof p.bytes - used);
}

int CompareKeys(const NdxIndex& x, std::string_view a, std::string_view b) {
  if (x.numeric) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(a.data());
    const uint8_t* q = reinterpret_cast<const uint8_t*>(b.data());
    bool na = (p[7] & 0x80) != 0, nb = (q[7] & 0x80) != 0;
    if (na != nb) return na ? -1 : 1;
    for (int i = 7; i >= 0; --i)
      if (p[i] != q[i]) return ((p[i] < q[i]) != na) ? -1 : 1;
    return 0;
  }
  size_t n = std::min(a.size(), b.size());
  int c = std::memcmp(a.data(), b.data(), n);
  if (c) return c < 0 ? -1 : 1;
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

// The entry key compared with a search key; character entry keys are cut to
// the length of the search key.
int CompareEntry(const NdxIndex& x, std::string_view entry, std::string_view search) {
  if (!x.numeric && search.size() < entry.size()) entry = entry.substr(0, search.size());
  return CompareKeys(x, entry, search);
}

void SetCurrent(NdxIndex& x, NdxPage& p, int i) {
  x.current = RecordOf(x, p, i);
  x.current_key.assign(KeyOf(x, p, i));
}

// Descends from the root to the leaf. upper: first entry greater than the key
// (the insertion point behind equal keys); otherwise the first entry not
// smaller than it. False when a page could not be read.
bool Descend(DbEngine& db, NdxIndex& x, std::string_view key, bool upper, NdxPage& leaf) {
  x.path.clear();
  int32_t page = x.root;
  x.walk = 0;
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    const int failures = x.failures;
    if (OnPath(x, page) || !LoadPage(db, x, page, leaf) || !Sane(x, leaf)) {
      if (x.failures == failures) Damaged(db, x);
      x.path.clear();
      return false;
    }
    int k = Count(leaf);
    bool interior = IsInterior(x, leaf);
    int i = 0;
    while (i < k) {
      int c = upper ? CompareKeys(x, KeyOf(x, leaf, i), key) : CompareEntry(x, KeyOf(x, leaf, i), key);
      if (upper ? c > 0 : c >= 0) break;
      ++i;
    }
    x.path.push_back({page, i, k, interior});
    if (!interior) return true;
    page = Child(x, leaf, i);
  }
  Damaged(db, x);
  x.path.clear();
  return false;
}

// Descends from the child at path level `level` to a leaf along the leftmost
// or rightmost pointers; false when only empty pages were found.
bool DescendEdge(DbEngine& db, NdxIndex& x, int32_t page, bool leftmost, NdxPage& p) {
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    const int failures = x.failures;
    if (OnPath(x, page) || !LoadPage(db, x, page, p) || !Sane(x, p)) {
      if (x.failures == failures) Damaged(db, x);
      return false;
    }
    int k = Count(p);
    bool interior = IsInterior(x, p);
    if (!interior) {
      if (k == 0) return false;
      int i = leftmost ? 0 : k - 1;
      x.path.push_back({page, i, k, false});
      SetCurrent(x, p, i);
      return true;
    }
    int i = leftmost ? 0 : k;
    x.path.push_back({page, i, k, true});
    page = Child(x, p, i);
  }
  Damaged(db, x);
  return false;
}

// Counts a step of a walk. From any position a sound index has fewer
// entries ahead (or behind) than its pages can hold: a walk that goes further
// runs through pages shared by several parents.
bool Walked(DbEngine& db, NdxIndex& x, bool forward) {
  x.walk += forward ? 1 : -1;
  const int64_t capacity = int64_t(x.next_free) * (x.max_keys + 1);
  if (x.walk > capacity || -x.walk > capacity) {
    Damaged(db, x);
    return false;
  }
  return true;
}

// Keys along a walk never go back: a key out of order is a page reached a
// second time (or a page that is not sorted).
bool InOrder(DbEngine& db, NdxIndex& x, std::string_view before, std::string_view key, bool forward) {
  if (before.size() != key.size()) return true;
  int c = CompareKeys(x, key, before);
  if (forward ? c >= 0 : c <= 0) return true;
  Damaged(db, x);
  return false;
}

// One step along the leaves; false at the end (the position is kept).
bool Step(DbEngine& db, NdxIndex& x, bool forward) {
  if (x.path.empty()) return false;
  std::vector<NdxLevel> saved = x.path;
  const int failures = x.failures;
  NdxPage p;
  NdxLevel& leaf = x.path.back();
  int next = leaf.position + (forward ? 1 : -1);
  if (next >= 0 && next < leaf.count) {
    if (LoadPage(db, x, leaf.page, p) && InOrder(db, x, x.current_key, KeyOf(x, p, next), forward) &&
        Walked(db, x, forward)) {
      leaf.position = next;
      SetCurrent(x, p, next);
      return true;
    }
    return false;
  }
  for (int level = static_cast<int>(x.path.size()) - 2; level >= 0; --level) {
    NdxLevel& l = x.path[level];
    int pos = l.position;
    for (;;) {
      pos += forward ? 1 : -1;
      if (pos < 0 || pos > l.count) break;
      x.path.resize(level + 1);
      x.path[level].position = pos;
      if (!LoadPage(db, x, x.path[level].page, p)) {
        x.path = saved;
        return false;
      }
      std::string before = x.current_key;
      const int32_t before_record = x.current;
      if (DescendEdge(db, x, Child(x, p, pos), forward, p)) {
        if (InOrder(db, x, before, x.current_key, forward) && Walked(db, x, forward)) return true;
        x.path = saved;
        x.current_key = before;
        x.current = before_record;
        return false;
      }
      if (x.failures != failures) {
        x.path = saved;
        return false;
      }
      x.path.resize(level + 1);
    }
  }
  x.path = saved;
  return false;
}

// Replaces the separator keys of the ancestors whose subtree ends where
// path level `level` ends.
void UpdateSeparators(DbEngine& db, NdxIndex& x, int level, std::string_view key) {
  for (int l = level - 1; l >= 0; --l) {
    NdxLevel& a = x.path[l];
    if (a.position < a.count) {
      NdxPage p;
      if (!LoadPage(db, x, a.page, p)) return;
      std::memcpy(Entry(x, p, a.position) + 8, key.data(), static_cast<size_t>(x.key_length));
      StoreBytes(db, x, a.page, p.bytes);
      return;
    }
  }
}

// Splits the overfull page p at path level `level`.
void Split(DbEngine& db, NdxIndex& x, int level, NdxPage& p) {
  const NdxLevel at = x.path[level];
  if (x.next_free > kMaxNdxPages - 2) {
    // No room for the new pages: the key is not stored.
    PageFailed(db, x);
    return;
  }
  const int k = Count(p);
  const int h = k / 2;
  const int e = x.entry_size;
  NdxPage n;
  std::string separator(KeyOf(x, p, h - 1));
  if (!at.interior) {
    std::memcpy(n.bytes + 4, p.bytes + 4, static_cast<size_t>(h) * e);
    SetCount(n, h);
    std::memmove(p.bytes + 4, p.bytes + 4 + h * e, static_cast<size_t>(k - h) * e);
    SetCount(p, k - h);
  } else {
    // The new page keeps one key fewer: the child of its last entry
    // becomes its rightmost pointer.
    std::memcpy(n.bytes + 4, p.bytes + 4, static_cast<size_t>(h) * e);
    SetCount(n, h - 1);
    std::memmove(p.bytes + 4, p.bytes + 4 + h * e, static_cast<size_t>(k + 1 - h) * e);
    SetCount(p, k - h);
  }
  Tidy(x, n, at.interior);
  Tidy(x, p, at.interior);
  const int32_t new_page = x.next_free++;
  StoreBytes(db, x, new_page, n.bytes);
  StoreBytes(db, x, at.page, p.bytes);
  if (level == 0) {
    NdxPage r;
    SetCount(r, 1);
    WriteLe32(Entry(x, r, 0), static_cast<uint32_t>(new_page));
    std::memcpy(Entry(x, r, 0) + 8, separator.data(), separator.size());
    WriteLe32(Entry(x, r, 1), static_cast<uint32_t>(at.page));
    const int32_t new_root = x.next_free++;
    StoreBytes(db, x, new_root, r.bytes);
    x.root = new_root;
    StoreHeader(db, x);
    return;
  }
  StoreHeader(db, x);
  const NdxLevel parent = x.path[level - 1];
  NdxPage q;
  if (!LoadPage(db, x, parent.page, q)) return;
  const int pk = Count(q);
  uint8_t* slot = Entry(x, q, parent.position);
  std::memmove(slot + e, slot, static_cast<size_t>(pk + 1 - parent.position) * e);
  std::memset(slot, 0, static_cast<size_t>(e));
  WriteLe32(slot, static_cast<uint32_t>(new_page));
  std::memcpy(slot + 8, separator.data(), separator.size());
  SetCount(q, pk + 1);
  if (pk + 1 > x.max_keys) {
    Split(db, x, level - 1, q);
  } else {
    Tidy(x, q, true);
    StoreBytes(db, x, parent.page, q.bytes);
  }
}

void Insert(DbEngine& db, NdxIndex& x, std::string_view key, int32_t record) {
  NdxPage p;
  if (!Descend(db, x, key, true, p)) return;
  const int level = static_cast<int>(x.path.size()) - 1;
  const NdxLevel leaf = x.path[level];
  const int k = leaf.count, i = leaf.position, e = x.entry_size;
  uint8_t* slot = Entry(x, p, i);
  std::memmove(slot + e, slot, static_cast<size_t>(k - i) * e);
  std::memset(slot, 0, static_cast<size_t>(e));
  WriteLe32(slot + 4, static_cast<uint32_t>(record));
  std::memcpy(slot + 8, key.data(), std::min<size_t>(key.size(), static_cast<size_t>(x.key_length)));
  SetCount(p, k + 1);
  if (i == k) UpdateSeparators(db, x, level, key);
  if (k + 1 > x.max_keys) {
    Split(db, x, level, p);
  } else {
    Tidy(x, p, false);
    StoreBytes(db, x, leaf.page, p.bytes);
  }
  x.path.clear();
}

// Removes the entry or pointer at path level `level`.
void RemoveAt(DbEngine& db, NdxIndex& x, int level) {
  const NdxLevel at = x.path[level];
  NdxPage p;
  if (!LoadPage(db, x, at.page, p)) return;
  const int k = Count(p), i = at.position, e = x.entry_size;
  if (!at.interior) {
    if (i >= k) return;
    std::memmove(Entry(x, p, i), Entry(x, p, i + 1), static_cast<size_t>(k - i - 1) * e);
    SetCount(p, k - 1);
    Tidy(x, p, false);
    StoreBytes(db, x, at.page, p.bytes);
    if (k - 1 == 0) {
      if (level > 0) RemoveAt(db, x, level - 1);
    } else if (i == k - 1) {
      UpdateSeparators(db, x, level, std::string(KeyOf(x, p, k - 2)));
    }
    return;
  }
  if (k == 0) {
    // The page's only pointer goes: the page is empty.
    if (level > 0) {
      SetCount(p, 0);
      Tidy(x, p, false);
      StoreBytes(db, x, at.page, p.bytes);
      RemoveAt(db, x, level - 1);
    } else {
      NdxPage empty;
      StoreBytes(db, x, at.page, empty.bytes);
    }
    return;
  }
  if (i < k) {
    std::memmove(Entry(x, p, i), Entry(x, p, i + 1), static_cast<size_t>(k - i) * e);
    SetCount(p, k - 1);
    Tidy(x, p, true);
    StoreBytes(db, x, at.page, p.bytes);
    return;
  }
  // The rightmost pointer goes: the last key's child takes its place.
  std::string last(KeyOf(x, p, k - 1));
  std::memset(Entry(x, p, k - 1) + 4, 0, static_cast<size_t>(e - 4));
  SetCount(p, k - 1);
  Tidy(x, p, true);
  StoreBytes(db, x, at.page, p.bytes);
  UpdateSeparators(db, x, level, last);
}

// --- keys -----------------------------------------------------------------------

// The parts of a key expression, split at "+" outside double quotes.
std::vector<std::string_view> KeyParts(std::string_view expr) {
  std::vector<std::string_view> parts;
  bool quoted = false;
  size_t from = 0;
  for (size_t i = 0; i <= expr.size(); ++i) {
    if (i == expr.size() || (expr[i] == '+' && !quoted)) {
      parts.push_back(TrimView(expr.substr(from, i - from)));
      from = i + 1;
    } else if (expr[i] == '"') {
      quoted = !quoted;
    }
  }
  return parts;
}

void BadExpression(DbEngine& db, std::string_view expr, std::string_view part) {
  std::string d(expr);
  d += " (";
  d += part;
  d += ")";
  db.Fail(601, d);
}

// A numeric key text: blanks, sign, digits, one point, an exponent. Blanks
// behind the number are accepted too: numeric fields written by the engine
// are padded on the right.
bool NumericKey(std::string_view text, double& value) {
  std::string_view v = TrimView(text);
  value = 0.0;
  if (v.empty()) return true;
  std::string clean;
  size_t i = 0;
  if (v[i] == '+' || v[i] == '-') {
    if (v[i] == '-') clean.push_back('-');
    ++i;
  }
  bool digits = false, point = false;
  for (; i < v.size(); ++i) {
    char c = v[i];
    if (c >= '0' && c <= '9') {
      digits = true;
    } else if (c == '.' && !point) {
      point = true;
    } else if ((c == 'E' || c == 'e') && digits) {
      clean.push_back('e');
      ++i;
      if (i < v.size() && (v[i] == '+' || v[i] == '-')) clean.push_back(v[i++]);
      if (i >= v.size()) return false;
      for (; i < v.size(); ++i) {
        if (v[i] < '0' || v[i] > '9') return false;
        clean.push_back(v[i]);
      }
      break;
    } else {
      return false;
    }
    clean.push_back(c);
  }
  if (!digits) return false;
  auto r = std::from_chars(clean.data(), clean.data() + clean.size(), value);
  return r.ec == std::errc() || r.ec == std::errc::result_out_of_range;
}

void DoubleKey(double v, std::string& key) {
  uint8_t b[8];
  std::memcpy(b, &v, 8);
  key.assign(reinterpret_cast<const char*>(b), 8);
}

// The key of the record in the table's buffer; false with an engine error.
bool MakeKey(DbEngine& db, DbTable& t, NdxIndex& x, std::string& key) {
  key.clear();
  for (std::string_view part : KeyParts(x.key_expression)) {
    int f = FindField(t, part);
    if (f >= 0) {
      const DbField& d = t.fields[f];
      size_t len = std::min<size_t>(d.length, d.offset < t.record.size() ? t.record.size() - d.offset : 0);
      key.append(reinterpret_cast<const char*>(t.record.data()) + d.offset, len);
    } else if (part.size() >= 2 && part.front() == '"' && part.back() == '"') {
      key.append(part.substr(1, part.size() - 2));
    } else {
      BadExpression(db, x.key_expression, part);
      return false;
    }
  }
  if (x.numeric) {
    double v = 0;
    if (!NumericKey(key, v)) {
      db.Fail(501, key);
      return false;
    }
    DoubleKey(v, key);
  } else {
    key.resize(static_cast<size_t>(x.key_length), ' ');
  }
  return true;
}

void InitIndex(NdxIndex& x) {
  x.root = static_cast<int32_t>(ReadLe32(x.header));
  x.next_free = static_cast<int32_t>(ReadLe32(x.header + 4));
  x.key_length = ReadLe16(x.header + 12);
  x.max_keys = ReadLe16(x.header + 14);
  x.numeric = ReadLe16(x.header + 16) == 1;
  x.entry_size = ReadLe16(x.header + 18);
  size_t n = 0;
  while (n < 100 && x.header[24 + n]) ++n;
  x.key_expression = std::string(TrimView(std::string_view(reinterpret_cast<const char*>(x.header + 24), n)));
}

// A header this engine can walk without running off its pages.
bool UsableHeader(const NdxIndex& x) {
  const int64_t keys = x.max_keys, entry = x.entry_size;
  return x.key_length > 0 && x.key_length <= kMaxNdxKeyLength && entry >= x.key_length + 8 && keys >= 2 &&
         4 + (keys + 1) * entry <= 1024 && keys * entry <= 504 &&
         x.root > 0 && x.root < x.next_free && x.next_free <= kMaxNdxPages && (!x.numeric || x.key_length == 8);
}

std::string IndexFileName(std::string_view name) {
  std::string n(name);
  size_t slash = n.find_last_of("\\/:");
  size_t dot = n.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) n += ".NDX";
  return n;
}

void Reposition(DbEngine& db, NdxIndex& x, std::string_view key, int32_t record) {
  NdxPage p;
  x.at_end = false;
  if (!Descend(db, x, key, false, p)) return;
  NdxLevel& leaf = x.path.back();
  if (leaf.position < leaf.count) {
    SetCurrent(x, p, leaf.position);
  } else {
    // Every key behind the leaf is at least the key searched for.
    x.current_key.assign(key);
    if (!Step(db, x, true)) {
      x.path.clear();
      return;
    }
  }
  while (x.current != record)
    if (!Step(db, x, true)) {
      x.path.clear();
      return;
    }
}

}  // namespace

// --- index objects -------------------------------------------------------------

NdxIndex::NdxIndex() {
  cache.capacity = kNdxReadCacheSize;
  for (int i = 0; i < kNdxCachePages; ++i) order[i] = i;
}

NdxIndex::~NdxIndex() { NdxFlush(*this); }

// The pages first, the header after them, and the update mark cleared last,
// when everything it covers is in the file. An index that failed in an
// update keeps its mark.
bool NdxFlush(NdxIndex& x) {
  bool ok = true;
  for (auto& e : x.pages)
    if (e.page > 0 && !WriteBack(x, e)) ok = false;
  for (auto& e : x.pages)
    if (e.page == 0 && !WriteBack(x, e)) ok = false;
  if (ok && x.marked && !x.failed) {
    ok = WriteMark(x, 0);
    x.marked = !ok;
  }
  return ok;
}

void CloseIndexes(DbEngine& db, DbTable& t) {
  for (auto& x : t.indexes) {
    if (x && !NdxFlush(*x)) db.Fail(100, x->file_name);
    x.reset();
  }
  t.index_active = false;
}

std::unique_ptr<NdxIndex> NdxOpen(DbEngine& db, std::string_view name, bool read_only) {
  auto x = std::make_unique<NdxIndex>();
  x->file_name = IndexFileName(name);
  x->path.clear();
  std::string path = db.files->MapPath(x->file_name);
  x->file_path = path;
  int error = 0;
  x->file = OpenDataFile(*db.files, path, error, read_only);
  if (!x->file) {
    db.Fail(2, x->file_name);
    return nullptr;
  }
  if (!x->file->ReadAt(0, x->header, kNdxPageSize)) {
    db.Fail(901, x->file_name);
    return nullptr;
  }
  InitIndex(*x);
  if (ReadLe32(x->header + 8) == kUpdateMark) {
    // Not closed after a change: it may lack records of the table.
    db.Fail(100, x->file_name);
    return nullptr;
  }
  const int64_t pages = (x->file->Length() + kNdxPageSize - 1) / kNdxPageSize;
  if (!UsableHeader(*x) || x->next_free > pages) {
    db.Fail(901, x->file_name);
    return nullptr;
  }
  x->path.clear();
  return x;
}

int32_t NdxFirst(DbEngine& db, NdxIndex& x) {
  x.at_begin = x.at_end = false;
  x.path.clear();
  x.walk = 0;
  NdxPage p;
  if (!DescendEdge(db, x, x.root, true, p)) {
    x.path.clear();
    x.at_end = true;
    return 0;
  }
  return x.current;
}

int32_t NdxLast(DbEngine& db, NdxIndex& x) {
  x.at_begin = x.at_end = false;
  x.path.clear();
  x.walk = 0;
  NdxPage p;
  if (!DescendEdge(db, x, x.root, false, p)) {
    x.path.clear();
    x.at_end = true;
    return 0;
  }
  return x.current;
}

int32_t NdxNext(DbEngine& db, NdxIndex& x) {
  if (x.path.empty()) return NdxFirst(db, x);
  x.at_begin = x.at_end = false;
  if (!Step(db, x, true)) x.at_end = true;
  return x.current;
}

// Before the first key the position stays on the first key.
int32_t NdxPrev(DbEngine& db, NdxIndex& x) {
  if (x.path.empty()) return NdxFirst(db, x);
  x.at_begin = x.at_end = false;
  if (!Step(db, x, false)) x.at_begin = true;
  return x.current;
}

bool NdxPositionOn(DbEngine& db, NdxIndex& x, int32_t n) {
  if (!x.path.empty() && x.current == n && x.path.back().position < x.path.back().count) return true;
  NdxFirst(db, x);
  if (x.at_end) return false;
  while (x.current != n)
    if (!Step(db, x, true)) {
      x.at_end = true;
      return false;
    }
  x.at_end = false;
  return true;
}

void NdxRecordWritten(DbEngine& db, DbTable& t, int32_t n, bool existed) {
  NdxIndex& x = *t.indexes[0];
  std::string key;
  if (!MakeKey(db, t, x, key)) {
    // The record is in the table, not in the index: the index keeps its
    // update mark and is refused when it is next opened.
    x.failed = true;
    return;
  }
  if (existed && NdxPositionOn(db, x, n)) {
    if (x.current_key == key) return;
    RemoveAt(db, x, static_cast<int>(x.path.size()) - 1);
    x.path.clear();
  }
  Insert(db, x, key, n);
  Reposition(db, x, key, n);
}

namespace {

// Writes the index file `path` anew from the header page `header` (its key
// length, keys per page, type, entry size and expression): root page 1, an
// empty leaf, next free page 2, marked as being changed until every record's
// key is in it. Then fills it from the table's records and writes it back.
// Null with the engine error when the file cannot be written; an index that
// misses a record (its key could not be made) stays marked.
std::unique_ptr<NdxIndex> WriteFilledIndex(DbEngine& db, DbTable& t, const std::string& file_name,
                                           const std::string& path, const uint8_t* header) {
  auto x = std::make_unique<NdxIndex>();
  x->file_name = file_name;
  x->file_path = path;
  uint8_t pages[2 * kNdxPageSize] = {};
  std::memcpy(pages, header, kNdxPageSize);
  WriteLe32(pages, 1);
  WriteLe32(pages + 4, 2);
  // Marked from the start: an index cut short while it is filled is not used.
  WriteLe32(pages + 8, kUpdateMark);
  {
    DbFileHandle f;
    if (db.files->Open(path, DbAccess::kCreate, f) || !f->WriteAt(0, pages, sizeof pages)) {
      db.Fail(2, file_name);
      return nullptr;
    }
  }
  int error = 0;
  x->file = OpenDataFile(*db.files, path, error);
  if (!x->file) {
    db.Fail(2, file_name);
    return nullptr;
  }
  std::memcpy(x->header, pages, kNdxPageSize);
  InitIndex(*x);
  x->marked = true;
  std::string key;
  for (int32_t r = 1; r <= t.record_count && !x->failed; ++r) {
    if (!ReadRecord(db, t, r)) break;
    if (!MakeKey(db, t, *x, key)) {
      x->failed = true;  // not every record is in it: it stays marked
      break;
    }
    Insert(db, *x, key, r);
  }
  if (!NdxFlush(*x)) PageFailed(db, *x);
  return x;
}

}  // namespace

std::vector<NdxRebuild> CloseIndexesForRebuild(DbEngine& db, DbTable& t) {
  std::vector<NdxRebuild> kept;
  for (const auto& x : t.indexes) {
    if (!x) continue;
    NdxRebuild r;
    r.file_name = x->file_name;
    r.file_path = x->file_path;
    std::memcpy(r.header.data(), x->header, kNdxPageSize);
    kept.push_back(std::move(r));
  }
  CloseIndexes(db, t);
  return kept;
}

void RebuildIndexes(DbEngine& db, DbTable& t, const std::vector<NdxRebuild>& indexes) {
  for (const NdxRebuild& r : indexes) WriteFilledIndex(db, t, r.file_name, r.file_path, r.header.data());
}

bool NdxCreate(DbEngine& db, DbTable& t, std::string_view expression, std::string_view name) {
  std::string expr(expression);
  CloseIndexes(db, t);
  // Only field names make an index key.
  std::vector<std::string_view> parts = KeyParts(expr);
  int length = 0;
  char type = 'C';
  for (std::string_view part : parts) {
    int f = FindField(t, part);
    if (f < 0) {
      BadExpression(db, expr, part);
      return false;
    }
    length += t.fields[f].length;
    type = t.fields[f].type;
  }
  bool numeric = parts.size() == 1 && (type == 'N' || type == 'D');
  if (numeric) length = 8;
  if (length == 0 || length > kMaxNdxKeyLength || expr.size() > 127) {
    // Keys longer than 100 bytes would not leave room for a split.
    BadExpression(db, expr, expr);
    return false;
  }
  uint8_t header[kNdxPageSize] = {};
  const int entry = (length + 8 + 3) / 4 * 4;
  WriteLe16(header + 12, static_cast<uint16_t>(length));
  WriteLe16(header + 14, static_cast<uint16_t>(504 / entry));
  WriteLe16(header + 16, numeric ? 1 : 0);
  WriteLe16(header + 18, static_cast<uint16_t>(entry));
  std::memcpy(header + 24, expr.data(), expr.size());
  const std::string file_name = IndexFileName(name);
  std::unique_ptr<NdxIndex> x = WriteFilledIndex(db, t, file_name, db.files->MapPath(file_name), header);
  if (!x) return false;
  NdxIndex& ix = *x;
  t.indexes[0] = std::move(x);
  t.index_active = true;
  t.at_end = false;
  if (t.record_count > 0) {
    int32_t r = NdxFirst(db, ix);
    if (ix.at_end) t.at_end = true;
    else ReadRecord(db, t, r);
  } else {
    t.at_end = true;
  }
  return !db.Failed();
}

void NdxUse(DbEngine& db, DbTable& t, std::string_view list, bool read_only) {
  std::string names(list);
  CloseIndexes(db, t);
  // Go to the first record (in physical order: the list is closed now).
  t.at_end = t.record_count <= 0;
  if (t.record_count > 0) ReadRecord(db, t, 1);
  int slot = 0;
  size_t i = 0;
  while (i < names.size() && slot < kIndexSlots) {
    size_t j = names.find_first_of(" ,", i);
    if (j == std::string::npos) j = names.size();
    std::string one = names.substr(i, std::min<size_t>(j - i, 64));
    i = j + 1;
    if (one.empty()) continue;
    DbError before = db.error;
    auto x = NdxOpen(db, one, read_only);
    if (x) t.indexes[slot++] = std::move(x);
    // A missing file does not hide a damaged one named before it.
    if (db.error.code == 2 && (before.code == 100 || before.code == 901)) db.error = before;
  }
  t.index_active = slot > 0;
  if (t.index_active && t.record_count > 0) {
    int32_t r = NdxFirst(db, *t.indexes[0]);
    if (t.indexes[0]->at_end) t.at_end = true;
    else if (r > 0) ReadRecord(db, t, r);
  }
}

int32_t NdxSeek(DbEngine& db, DbTable& t, std::string key, bool exact) {
  t.found = false;
  NdxIndex* x = t.index_active ? t.indexes[0].get() : nullptr;
  if (!x) return 0;
  if (x->numeric) {
    double v = 0;
    if (!NumericKey(key, v)) {
      db.Fail(501, key);
      return 0;
    }
    DoubleKey(v, key);
  } else if (exact) {
    key.resize(static_cast<size_t>(x->key_length), ' ');
  } else if (key.size() > static_cast<size_t>(x->key_length)) {
    key.resize(static_cast<size_t>(x->key_length));
  }
  NdxPage p;
  int32_t result = 0;
  if (Descend(db, *x, key, false, p)) {
    NdxLevel& leaf = x->path.back();
    if (leaf.position < leaf.count && CompareEntry(*x, KeyOf(*x, p, leaf.position), key) == 0) {
      SetCurrent(*x, p, leaf.position);
      result = x->current;
      if (ReadRecord(db, t, result)) {
        t.found = true;
        t.at_end = false;
      } else {
        result = 0;
      }
    } else {
      x->path.clear();
    }
  }
  return result;
}

}  // namespace vestil
