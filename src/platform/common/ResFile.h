// Reader of a compiled resource file (.res) held in memory: lookup by type and id, string tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Resources.h"

namespace plat {

// A view over the bytes of a .res file; it neither copies nor owns them. Every length in the file
// is checked against the blob: a resource is found only when its record and all records before
// it are whole, so a truncated or corrupt file yields "not found", never a read past its end.
class ResFile {
public:
    ResFile(const void* data, std::size_t size) : m_pData(data), m_nSize(data ? size : 0) {}

    // The first resource of `type` (ordinal, or name compared without case) whose name is the
    // integer `id`, in any language; data == nullptr when absent.
    ResData Find(ResType type, std::uint16_t id) const;

    // String `id` of the string tables (block id / 16 + 1, entry id % 16) as UTF-8. False when the
    // block is missing, damaged, or the entry is empty.
    bool LoadString(std::uint16_t id, std::string* out) const;

    // Visits every whole record in file order (the leading empty record is skipped); stops early
    // when `visit` returns false. Returns false when a damaged record ended the walk.
    struct Record {
        bool typeIsOrdinal = true;
        std::uint16_t typeOrdinal = 0;
        std::string typeName;  // as stored (windres stores names in capitals)
        bool nameIsOrdinal = true;
        std::uint16_t nameOrdinal = 0;
        std::string name;
        std::uint16_t language = 0;
        ResData data;
        // Of `type` (ordinal, or name without case) and named by the integer `id`.
        bool Is(ResType type, std::uint16_t id) const;
    };
    template <typename Fn>
    bool ForEach(Fn&& visit) const {
        std::size_t pos = 0;
        Record rec;
        for (;;) {
            int r = Next(&pos, &rec);
            if (r <= 0) return r == 0;
            if (!rec.typeIsOrdinal || rec.typeOrdinal != 0) {
                if (!visit(rec)) return true;
            }
        }
    }

private:
    // Reads the record at *pos into *rec and advances *pos: 1 = a record, 0 = clean end of the
    // file, -1 = damaged record.
    int Next(std::size_t* pos, Record* rec) const;

    const void* m_pData;
    std::size_t m_nSize;
};

// True when `stored` (UTF-8, from the file) equals `wanted` ignoring ASCII letter case.
bool ResNameEquals(const std::string& stored, const char* wanted);

}  // namespace plat
