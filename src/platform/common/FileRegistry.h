// FileRegistry: HKEY_CURRENT_USER keys and typed values kept as hand-editable text, Win32 semantics.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Types.h"

namespace plat {

// The text form is the one of Windows .reg files:
//   [HKEY_CURRENT_USER\Software\Tarnwick Productions Ltd\morgrave\Settings]
//   "Pain"=dword:00000003        REG_DWORD, 1 to 8 hex digits
//   "Name"="text"                REG_SZ (\\ and \" escaped; stored with its terminating zero)
//   "Blob"=hex:01,02,03          REG_BINARY; hex(N):... any other type N (hex)
//   @=...                        the key's unnamed value
// Lines the parser does not understand (comments, garbled values, keys of other roots) are kept
// verbatim when the text is written again; a garbled value counts as missing. Unchanged values
// keep their original spelling. Parsing is one pass: runs of such lines, and keys of other roots
// that follow each other, are kept as one piece of text each. A write that changes nothing
// leaves the storage alone, and text that did not change since the last read is not parsed again.
class FileRegistry {
public:
    enum class LoadResult { Ok, Missing, Failed };

    // Where the text lives between operations. Without one the store lives in memory only.
    class Storage {
    public:
        virtual ~Storage() = default;
        // Whole text of the store; Missing when none exists yet, Failed when it cannot be read
        // (the store then refuses every write rather than replace what it could not read).
        virtual LoadResult Load(std::string* text) = 0;
        // Replaces the text atomically; false when nothing was changed.
        virtual bool Save(const std::string& text) = 0;
        // Bracket one write's read-modify-write against other processes (reads take no lock);
        // false when the lock could not be had, and then the write fails.
        virtual bool Lock() { return true; }
        virtual void Unlock() {}
        // True only when the text is certainly still the one last loaded (a cheap check such as
        // the file's identity, size and times); false whenever in doubt, and then it is read.
        virtual bool Unchanged() { return false; }
    };

    explicit FileRegistry(Storage* storage = nullptr);

    // The seam's registry calls (same contracts as platform/Registry.h).
    long OpenKey(HKey parent, const char* sub, HKey* out);
    long CreateKey(HKey parent, const char* sub, HKey* out);
    long QueryValue(HKey key, const char* name, std::uint32_t* type, void* data, std::uint32_t* size);
    long SetValue(HKey key, const char* name, std::uint32_t type, const void* data, std::uint32_t size);
    long CloseKey(HKey key);
    // A group of writes (CreateKey, SetValue, PutValue) that reaches the storage as one write
    // when the group ends: the group's first write takes the lock and reads the store, later
    // reads see the group's changes, and a write that fails at the end takes them all back.
    void BeginWrites();
    bool EndWrites();

    // Direct access by a path below HKEY_CURRENT_USER ("Software\\Company\\App\\Settings").
    bool GetValue(const std::string& keyPath, const std::string& name, std::uint32_t* type,
                  std::vector<std::uint8_t>* data);
    bool PutValue(const std::string& keyPath, const std::string& name, std::uint32_t type,
                  const std::vector<std::uint8_t>& data);

    // The text model: replace the content from text, and write it back out.
    void Parse(const std::string& text);
    std::string Serialise() const;
    // Forgets every key and value (open handles stay valid).
    void Clear();
    // Number of handles opened and not yet closed.
    int OpenHandleCount() const { return static_cast<int>(m_handles.size()); }

private:
    using Path = std::vector<std::string>;

    // One logical line of a key's block. A store may hold hundreds of thousands of values, so
    // an item is small: a value's name and data share one string, whose inline buffer holds a
    // short name with a number without a heap block, and its original line is a range of m_source.
    struct Item {
        enum class Kind : std::uint8_t { Raw, Value, Broken } kind = Kind::Raw;
        bool dirty = false;        // a Value changed or added since parsing: written in canonical form
        std::uint32_t type = 0;    // Value: its type
        std::size_t nameSize = 0;  // Value, Broken: text[0, nameSize) is the name; a Value's data follows
        std::size_t lineBegin = 0, lineSize = 0;  // Value, Broken read from the text: its line in m_source
        std::string text;                         // Raw: the lines kept verbatim; Value, Broken: name, data
        std::string_view Name() const { return std::string_view(text).substr(0, nameSize); }
        std::string_view Data() const { return std::string_view(text).substr(nameSize); }
    };
    struct Block {
        bool opaque = false;   // not a key of ours: kept verbatim, never interpreted
        bool fresh = false;    // created since parsing
        bool implied = false;  // an empty key a later key's header implies: no longer written
        std::string header;    // original header line
        Path path;             // below HKEY_CURRENT_USER
        std::vector<Item> items;
    };

    // Re-reads the store before an operation (unless a group of writes holds it); false when it
    // cannot be read.
    bool Refresh();
    // The start of a write inside a group: the first one locks and reads the store.
    bool EnterGroupWrite();
    // Writes the model out unless that would change nothing.
    bool Commit();
    static bool IsBlankBlock(const Block& block);
    // A key of ours that is still written (not another root's, not implied by a later key).
    static bool IsLive(const Block& block) { return !block.opaque && !block.implied; }
    long Resolve(HKey parent, const char* sub, Path* out) const;
    bool KeyExists(const Path& path) const;
    Block* FindBlock(const Path& path);
    Item* FindValue(const Path& path, const std::string& name);
    HKey NewHandle(const Path& path);
    // Adds the explanatory comment to a store that is still empty.
    void EnsurePreamble();
    // What AddBlock changed besides appending the key, so that a key that could not be written
    // can be taken out again (cheaper than reading a large store again).
    struct AddedKey {
        bool preambleAdded = false;
        std::vector<std::size_t> implied;  // indices of the keys it made implied
    };
    Block* AddBlock(const Path& path, AddedKey* added = nullptr);
    void RemoveAddedBlock(AddedKey* added);
    // What Store changed, so that a value that could not be written can be taken out again.
    struct StoredValue {
        std::size_t block = 0;  // index in m_blocks
        std::size_t item = 0;   // index of the value in the block
        bool replaced = false;  // `old` was there before (and a note was put before it: `noted`)
        bool noted = false;
        Item old;
        bool newKey = false;  // the key itself was added (`added`; a key alone: CreateKey)
        AddedKey added;
    };
    // Stores a value in the model (no commit); false when it held that value already.
    bool Store(const Path& path, const std::string& name, std::uint32_t type, const std::uint8_t* data,
               std::uint32_t size, StoredValue* change);
    void Unstore(StoredValue* change);
    // Commit for a change that Unstore can take back: a refused write leaves the model as read.
    bool CommitOrUnstore(StoredValue* change);
    // Stores a value and writes it: within a group of writes at the group's end, else at once under
    // the lock against the store as it is then. False when it cannot be written.
    bool WriteValue(const Path& path, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                    std::uint32_t size);

    static bool SamePath(const Path& a, const Path& b);
    static bool IsPrefix(const Path& prefix, const Path& path);

    Storage* m_storage;
    bool m_readable = true;
    // The storage's text the model was last read from or written as (valid while m_textKnown).
    std::string m_text;
    std::string m_scratch;  // the buffer each read fills before it is compared with m_text
    std::string m_source;   // the text last parsed: the original lines of unchanged values
    bool m_textKnown = false;
    LoadResult m_textResult = LoadResult::Missing;
    std::vector<std::string> m_preamble;
    std::vector<Block> m_blocks;
    std::map<HKey, Path> m_handles;
    HKey m_nextHandle = 0x1000;
    int m_groupDepth = 0;
    bool m_groupLocked = false;  // a write of the group took the lock (held until the group ends)
    bool m_groupFailed = false;  // a write of the group was refused (lock or store unreadable)
    std::vector<StoredValue> m_groupChanges;
};

}  // namespace plat
