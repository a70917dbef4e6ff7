// FileRegistry: the store's keys and values as blocks of lines, and the registry calls over them.
#include "platform/common/FileRegistry.h"

#include <cstring>
#include <string_view>

#include "platform/Registry.h"
#include "platform/common/RegistryText.h"

namespace plat {

namespace {
constexpr long kErrorInvalidParameter = 87;
}  // namespace

using namespace regtext;

FileRegistry::FileRegistry(Storage* storage) : m_storage(storage) {}

bool FileRegistry::SamePath(const Path& a, const Path& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!EqualNoCase(a[i], b[i])) return false;
    }
    return true;
}

bool FileRegistry::IsPrefix(const Path& prefix, const Path& path) {
    if (prefix.size() > path.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (!EqualNoCase(prefix[i], path[i])) return false;
    }
    return true;
}

void FileRegistry::Clear() {
    m_preamble.clear();
    m_blocks.clear();
    m_source.clear();
    m_textKnown = false;
}

namespace {

std::string_view TrimView(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// A header's inside names a key below HKEY_CURRENT_USER (checked before any copy is made).
bool UnderOurRoot(std::string_view inside) {
    const std::string_view root(kRootName);
    if (inside.size() < root.size() || (inside.size() > root.size() && inside[root.size()] != '\\')) return false;
    return EqualNoCase(inside.substr(0, root.size()), root);
}

// An upper bound of the items of the key whose lines start at `from`: one per line that may be
// a value and one per run of other lines, up to the next header. Reserving it spares a store
// of a million values the copies and page faults of a growing array.
std::size_t CountItems(std::string_view all, std::size_t from) {
    std::size_t count = 0;
    bool inRun = false;
    while (from < all.size()) {
        std::size_t first = from;
        while (first < all.size() && IsBlank(all[first])) ++first;
        if (first < all.size() && all[first] == '[') break;
        const bool value = first < all.size() && (all[first] == '"' || all[first] == '@');
        if (value || !inRun) ++count;
        inRun = !value;
        const std::size_t nl = all.find('\n', first);
        if (nl == std::string_view::npos) break;
        from = nl + 1;
    }
    return count;
}

// Appends a line kept verbatim to the piece of such lines before it.
void AppendRaw(std::string* piece, std::string_view line) {
    *piece += '\n';
    *piece += line;
}

}  // namespace

void FileRegistry::Parse(const std::string& text) {
    Clear();
    m_source = text;
    const std::string_view all(m_source);
    const std::size_t n = all.size();
    const auto lineEnd = [&](std::size_t from) {
        const std::size_t nl = all.find('\n', from);
        return nl == std::string_view::npos ? n : nl;
    };

    Block* current = nullptr;
    std::vector<std::uint8_t> bytes;  // a value's data, reused from line to line
    // Consecutive lines that are only kept (comments, blank lines, text before the first key,
    // keys of other roots and what follows them) are one piece: all[runBegin, runEnd).
    std::size_t runBegin = std::string_view::npos;
    std::size_t runEnd = 0;
    const auto keep = [&](std::size_t begin, std::size_t end) {
        if (runBegin == std::string_view::npos) runBegin = begin;
        runEnd = end;
    };
    const auto flush = [&]() {
        if (runBegin == std::string_view::npos) return;
        const std::string_view run = all.substr(runBegin, runEnd - runBegin);
        runBegin = std::string_view::npos;
        std::string* piece = nullptr;
        bool fresh = false;
        if (current == nullptr) {
            fresh = m_preamble.empty();
            if (fresh) m_preamble.emplace_back();
            piece = &m_preamble.back();
        } else {
            fresh = current->items.empty() || current->items.back().kind != Item::Kind::Raw;
            if (fresh) current->items.emplace_back();
            piece = &current->items.back().text;
        }
        if (fresh) {
            piece->assign(run);
        } else {
            AppendRaw(piece, run);
        }
    };

    for (std::size_t start = 0; start < n;) {
        std::size_t first = start;
        while (first < n && IsBlank(all[first])) ++first;
        // A blank line is only kept.
        if (first == n || all[first] == '\n') {
            keep(start, first);
            start = first + 1;
            continue;
        }
        const std::size_t end = lineEnd(first);
        std::size_t next = end < n ? end + 1 : n;
        const char c = all[first];
        const bool header = c == '[';
        const bool value = (c == '"' || c == '@') && current != nullptr && !current->opaque;
        if (!header && !value) {
            keep(start, end);
            start = next;
            continue;
        }
        const std::size_t lineStart = start;
        const std::string_view line = all.substr(start, end - start);
        const std::string_view trimmed = TrimView(line);
        start = next;

        if (header) {
            Block block;
            block.opaque = true;
            if (trimmed.back() == ']' && UnderOurRoot(trimmed.substr(1, trimmed.size() - 2))) {
                Path path;
                if (SplitPath(std::string(trimmed.substr(1, trimmed.size() - 2)), &path)) {
                    path.erase(path.begin());
                    block.path = std::move(path);
                    block.opaque = false;
                }
            }
            // A key of another root right after one is never interpreted either: kept with it.
            if (block.opaque && current != nullptr && current->opaque) {
                keep(lineStart, end);
                continue;
            }
            flush();
            block.header = line;
            // With room to grow, so that a large key's first new value does not move all the others.
            if (!block.opaque) {
                const std::size_t items = CountItems(all, start);
                block.items.reserve(items + items / 8);
            }
            m_blocks.push_back(std::move(block));
            current = &m_blocks.back();
            continue;
        }

        // A hex value may continue over several lines, each but the last ending in '\'.
        std::size_t valueEnd = end;
        std::string logical(trimmed);
        while (!logical.empty() && logical.back() == '\\' && next < n) {
            const std::size_t moreEnd = lineEnd(next);
            const std::string_view more = all.substr(next, moreEnd - next);
            if (!IsHexContinuation(more)) break;
            logical.pop_back();
            logical += TrimView(more);
            valueEnd = moreEnd;
            next = moreEnd < n ? moreEnd + 1 : n;
        }
        start = next;
        Item item;
        std::string name;
        switch (ParseValueLine(logical, &name, &item.type, &bytes)) {
            case LineKind::Value: item.kind = Item::Kind::Value; break;
            case LineKind::Broken: item.kind = Item::Kind::Broken; break;
            case LineKind::NotValue: keep(lineStart, valueEnd); continue;
        }
        item.text = std::move(name);
        item.nameSize = item.text.size();
        if (item.kind == Item::Kind::Value) item.text.append(bytes.begin(), bytes.end());
        item.lineBegin = lineStart;
        item.lineSize = valueEnd - lineStart;
        flush();
        current->items.push_back(std::move(item));
    }
    flush();
}

std::string FileRegistry::Serialise() const {
    std::string out;
    out.reserve(m_text.size() + 256);
    for (const std::string& line : m_preamble) {
        out += line;
        out += '\n';
    }
    for (const Block& block : m_blocks) {
        if (block.implied) continue;
        if (block.fresh) {
            // A blank line before a new key, unless the text already ends with one.
            if (!out.empty() && !(out.size() >= 2 && out[out.size() - 2] == '\n') && out != "\n") out += "\n";
            out += FormatHeader(block.path) + "\n";
        } else {
            out += block.header;
            out += '\n';
        }
        for (const Item& item : block.items) {
            if (item.kind == Item::Kind::Raw) {
                out += item.text;
            } else if (item.dirty) {
                const std::string_view data = item.Data();
                out += FormatValue(std::string(item.Name()), item.type, {data.begin(), data.end()});
            } else {
                out.append(m_source, item.lineBegin, item.lineSize);
            }
            out += '\n';
        }
    }
    return out;
}

bool FileRegistry::KeyExists(const Path& path) const {
    // HKEY_CURRENT_USER and its "Software" key always exist, as on Windows.
    if (path.empty() || (path.size() == 1 && EqualNoCase(path[0], "Software"))) return true;
    for (const Block& block : m_blocks) {
        if (IsLive(block) && IsPrefix(path, block.path)) return true;
    }
    return false;
}

FileRegistry::Block* FileRegistry::FindBlock(const Path& path) {
    for (Block& block : m_blocks) {
        if (IsLive(block) && SamePath(block.path, path)) return &block;
    }
    return nullptr;
}

FileRegistry::Item* FileRegistry::FindValue(const Path& path, const std::string& name) {
    for (Block& block : m_blocks) {
        if (!IsLive(block) || !SamePath(block.path, path)) continue;
        for (Item& item : block.items) {
            if (item.kind != Item::Kind::Raw && EqualNoCase(item.Name(), name)) return &item;
        }
    }
    return nullptr;
}

void FileRegistry::EnsurePreamble() {
    if (!m_preamble.empty() || !m_blocks.empty()) return;
    m_preamble = {"; Settings of the Morgrave screen saver: its keys below HKEY_CURRENT_USER.",
                  "; \"name\"=dword:0000000a is a number (hex), \"name\"=\"text\" a string, \"name\"=hex:01,02 bytes.",
                  ""};
}

bool FileRegistry::IsBlankBlock(const Block& block) {
    for (const Item& item : block.items) {
        if (item.kind != Item::Kind::Raw) return false;
        for (char c : item.text) {
            if (!IsBlank(c) && c != '\n') return false;
        }
    }
    return true;
}

FileRegistry::Block* FileRegistry::AddBlock(const Path& path, AddedKey* added) {
    if (added != nullptr) added->preambleAdded = m_preamble.empty() && m_blocks.empty();
    EnsurePreamble();
    // A key made on the way to this one (a header with nothing but blank lines) is implied by
    // this key's header from now on; it is no longer written, which keeps the file to the keys
    // that hold values. Only marked, so that taking the key back is as cheap.
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        Block& old = m_blocks[i];
        if (IsLive(old) && old.path.size() < path.size() && IsPrefix(old.path, path) && IsBlankBlock(old)) {
            old.implied = true;
            if (added != nullptr) added->implied.push_back(i);
        }
    }
    Block fresh;
    fresh.fresh = true;
    fresh.path = path;
    m_blocks.push_back(std::move(fresh));
    return &m_blocks.back();
}

void FileRegistry::RemoveAddedBlock(AddedKey* added) {
    m_blocks.pop_back();
    for (std::size_t i : added->implied) m_blocks[i].implied = false;
    if (added->preambleAdded) m_preamble.clear();
}

bool FileRegistry::Store(const Path& path, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                         std::uint32_t size, StoredValue* change) {
    Item item;
    item.kind = Item::Kind::Value;
    item.dirty = true;
    item.type = type;
    item.text = name;
    item.nameSize = name.size();
    if (size != 0) item.text.append(reinterpret_cast<const char*>(data), size);

    for (std::size_t b = 0; b < m_blocks.size(); ++b) {
        Block& block = m_blocks[b];
        if (!IsLive(block) || !SamePath(block.path, path)) continue;
        for (std::size_t i = 0; i < block.items.size(); ++i) {
            Item& old = block.items[i];
            if (old.kind == Item::Kind::Raw || !EqualNoCase(old.Name(), name)) continue;
            item.text.replace(0, item.nameSize, old.Name());
            item.nameSize = old.nameSize;
            change->block = b;
            change->item = i;
            change->replaced = true;
            if (old.kind == Item::Kind::Value) {
                // The same data again keeps the line as it was written (start-up rewrites every
                // setting on every start; a hand-written spelling survives that).
                if (old.type == type && old.Data() == item.Data()) return false;
                change->old = std::move(old);
                old = std::move(item);
                return true;
            }
            // An unreadable line of that name stays in the file as a comment: a hand edit is
            // never silently lost.
            Item note;
            note.text = "; unreadable, replaced: " + m_source.substr(old.lineBegin, old.lineSize);
            for (std::size_t p = note.text.find('\n'); p != std::string::npos; p = note.text.find('\n', p + 1)) {
                note.text.insert(p + 1, "; ");
            }
            change->old = std::move(old);
            old = std::move(item);
            block.items.insert(block.items.begin() + static_cast<std::ptrdiff_t>(i), std::move(note));
            change->item = i + 1;
            change->noted = true;
            return true;
        }
    }
    Block* block = FindBlock(path);
    if (block == nullptr) {
        block = AddBlock(path, &change->added);
        change->newKey = true;
    }
    // After the key's last value, so comments and blank lines before the next key stay there.
    std::size_t at = 0;
    for (std::size_t i = 0; i < block->items.size(); ++i) {
        if (block->items[i].kind != Item::Kind::Raw) at = i + 1;
    }
    block->items.insert(block->items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
    change->block = static_cast<std::size_t>(block - m_blocks.data());
    change->item = at;
    return true;
}

void FileRegistry::Unstore(StoredValue* change) {
    if (change->newKey) {
        RemoveAddedBlock(&change->added);
        return;
    }
    std::vector<Item>& items = m_blocks[change->block].items;
    if (!change->replaced) {
        items.erase(items.begin() + static_cast<std::ptrdiff_t>(change->item));
        return;
    }
    items[change->item] = std::move(change->old);
    if (change->noted) items.erase(items.begin() + static_cast<std::ptrdiff_t>(change->item - 1));
}

bool FileRegistry::CommitOrUnstore(StoredValue* change) {
    if (Commit()) return true;
    // The model is the store's text again, which has not changed.
    Unstore(change);
    m_textKnown = m_storage != nullptr;
    return false;
}

bool FileRegistry::Refresh() {
    // A group of writes holds the lock: the model is the store plus the group's changes.
    if (m_storage == nullptr || m_groupLocked) return m_readable;
    if (m_textKnown && m_storage->Unchanged()) return true;
    // Read into the buffer of the last read: a store of some MiB is read before every operation.
    std::string& text = m_scratch;
    const LoadResult result = m_storage->Load(&text);
    if (result == LoadResult::Failed) {
        Clear();
        m_readable = false;
        return false;
    }
    m_readable = true;
    if (m_textKnown && result == m_textResult && text == m_text) return true;
    if (result == LoadResult::Ok) {
        Parse(text);
    } else {
        Clear();
    }
    m_text.swap(text);
    m_textResult = result;
    m_textKnown = true;
    return true;
}

bool FileRegistry::Commit() {
    if (!m_readable) return false;
    if (m_storage == nullptr) return true;
    std::string text = Serialise();
    if (m_textKnown && text == m_text) return true;
    // Until the next read the model is what was written; after a failure it is read again.
    m_textKnown = false;
    if (!m_storage->Save(text)) return false;
    m_text = std::move(text);
    m_textResult = LoadResult::Ok;
    m_textKnown = true;
    return true;
}

long FileRegistry::Resolve(HKey parent, const char* sub, Path* out) const {
    if (parent == kHKeyCurrentUser) {
        out->clear();
    } else {
        const auto it = m_handles.find(parent);
        if (it == m_handles.end()) return kErrorInvalidHandle;
        *out = it->second;
    }
    Path rest;
    if (sub != nullptr && !SplitPath(sub, &rest)) return kErrorInvalidParameter;
    out->insert(out->end(), rest.begin(), rest.end());
    return kErrorSuccess;
}

HKey FileRegistry::NewHandle(const Path& path) {
    while (m_nextHandle == 0 || m_nextHandle == kHKeyCurrentUser || m_handles.count(m_nextHandle) != 0) {
        ++m_nextHandle;
    }
    const HKey handle = m_nextHandle++;
    m_handles[handle] = path;
    return handle;
}

namespace {
// Holds the storage lock for one write.
class StorageLock {
public:
    explicit StorageLock(FileRegistry::Storage* storage) : m_storage(storage) {
        if (m_storage != nullptr && !m_storage->Lock()) {
            m_storage = nullptr;  // nothing to release
            m_failed = true;
        }
    }
    ~StorageLock() {
        if (m_storage != nullptr) m_storage->Unlock();
    }
    bool Held() const { return !m_failed; }
    StorageLock(const StorageLock&) = delete;
    StorageLock& operator=(const StorageLock&) = delete;

private:
    FileRegistry::Storage* m_storage;
    bool m_failed = false;
};
}  // namespace

void FileRegistry::BeginWrites() { ++m_groupDepth; }

bool FileRegistry::EnterGroupWrite() {
    if (m_groupLocked || m_groupFailed) return !m_groupFailed;
    // A lock that could not be had is not waited for again by the same group.
    if (m_storage != nullptr && !m_storage->Lock()) {
        m_groupFailed = true;
        return false;
    }
    m_groupFailed = !Refresh();
    m_groupLocked = true;
    return !m_groupFailed;
}

bool FileRegistry::EndWrites() {
    if (m_groupDepth == 0 || --m_groupDepth > 0) return true;
    bool ok = !m_groupFailed;
    m_groupFailed = false;
    if (!m_groupLocked) return ok;
    if (!m_groupChanges.empty() && !Commit()) {
        // Taken back newest first, each against the model it was made in.
        for (auto change = m_groupChanges.rbegin(); change != m_groupChanges.rend(); ++change) Unstore(&*change);
        m_textKnown = m_storage != nullptr;
        ok = false;
    }
    m_groupChanges.clear();
    m_groupLocked = false;
    if (m_storage != nullptr) m_storage->Unlock();
    return ok;
}

long FileRegistry::OpenKey(HKey parent, const char* sub, HKey* out) {
    if (out == nullptr) return kErrorInvalidParameter;
    *out = 0;
    Path path;
    const long rc = Resolve(parent, sub, &path);
    if (rc != kErrorSuccess) return rc;
    Refresh();
    if (!KeyExists(path)) return kErrorFileNotFound;
    *out = NewHandle(path);
    return kErrorSuccess;
}

long FileRegistry::CreateKey(HKey parent, const char* sub, HKey* out) {
    if (out == nullptr) return kErrorInvalidParameter;
    *out = 0;
    Path path;
    const long rc = Resolve(parent, sub, &path);
    if (rc != kErrorSuccess) return rc;
    Refresh();
    if (!KeyExists(path) && m_groupDepth > 0) {
        if (!EnterGroupWrite()) return kErrorAccessDenied;
        if (!KeyExists(path)) {
            StoredValue change;
            change.newKey = true;
            AddBlock(path, &change.added);
            m_groupChanges.push_back(std::move(change));
        }
    } else if (!KeyExists(path)) {
        // Made under the lock, against the store as it is then.
        StorageLock lock(m_storage);
        if (!lock.Held() || !Refresh()) return kErrorAccessDenied;
        if (!KeyExists(path)) {
            StoredValue change;
            change.newKey = true;
            AddBlock(path, &change.added);
            if (!CommitOrUnstore(&change)) return kErrorAccessDenied;
        }
    }
    *out = NewHandle(path);
    return kErrorSuccess;
}

long FileRegistry::QueryValue(HKey key, const char* name, std::uint32_t* type, void* data, std::uint32_t* size) {
    Path path;
    const long rc = Resolve(key, nullptr, &path);
    if (rc != kErrorSuccess) return rc;
    if (data != nullptr && size == nullptr) return kErrorInvalidParameter;
    Refresh();
    const Item* item = FindValue(path, name != nullptr ? name : "");
    if (item == nullptr || item->kind != Item::Kind::Value) return kErrorFileNotFound;
    const std::string_view bytes = item->Data();
    const std::uint32_t needed = static_cast<std::uint32_t>(bytes.size());
    if (type != nullptr) *type = item->type;
    if (size == nullptr) return kErrorSuccess;
    if (data != nullptr && *size < needed) {
        *size = needed;
        return kErrorMoreData;
    }
    if (data != nullptr && needed != 0) std::memcpy(data, bytes.data(), needed);
    *size = needed;
    return kErrorSuccess;
}

long FileRegistry::SetValue(HKey key, const char* name, std::uint32_t type, const void* data, std::uint32_t size) {
    Path path;
    const long rc = Resolve(key, nullptr, &path);
    if (rc != kErrorSuccess) return rc;
    const std::string valueName = name != nullptr ? name : "";
    // A line break in a name could not be written back as one line.
    if (HasControl(valueName) || (data == nullptr && size != 0)) return kErrorInvalidParameter;
    // The key may have been removed by hand since it was opened: writing recreates it.
    return WriteValue(path, valueName, type, static_cast<const std::uint8_t*>(data), size) ? kErrorSuccess
                                                                                           : kErrorAccessDenied;
}

bool FileRegistry::WriteValue(const Path& path, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                              std::uint32_t size) {
    StoredValue change;
    if (m_groupDepth > 0) {
        if (!EnterGroupWrite()) return false;
        if (Store(path, name, type, data, size, &change)) m_groupChanges.push_back(std::move(change));
        return true;
    }
    StorageLock lock(m_storage);
    if (!lock.Held() || !Refresh()) return false;
    if (!Store(path, name, type, data, size, &change)) return true;
    return CommitOrUnstore(&change);
}

long FileRegistry::CloseKey(HKey key) {
    if (key == kHKeyCurrentUser) return kErrorSuccess;
    return m_handles.erase(key) != 0 ? kErrorSuccess : kErrorInvalidHandle;
}

bool FileRegistry::GetValue(const std::string& keyPath, const std::string& name, std::uint32_t* type,
                            std::vector<std::uint8_t>* data) {
    Path path;
    if (!SplitPath(keyPath, &path)) return false;
    Refresh();
    const Item* item = FindValue(path, name);
    if (item == nullptr || item->kind != Item::Kind::Value) return false;
    if (type != nullptr) *type = item->type;
    if (data != nullptr) data->assign(item->Data().begin(), item->Data().end());
    return true;
}

bool FileRegistry::PutValue(const std::string& keyPath, const std::string& name, std::uint32_t type,
                            const std::vector<std::uint8_t>& data) {
    Path path;
    if (!SplitPath(keyPath, &path) || HasControl(name)) return false;
    return WriteValue(path, name, type, data.data(), static_cast<std::uint32_t>(data.size()));
}

}  // namespace plat
