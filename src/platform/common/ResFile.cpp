// Reader of a compiled resource file (.res) held in memory: lookup by type and id, string tables.
#include "platform/common/ResFile.h"

#include "platform/common/ByteReader.h"

namespace plat {

namespace {

// DataVersion, MemoryFlags, LanguageId, Version, Characteristics after TYPE and NAME.
constexpr std::size_t kHeaderTail = 16;
constexpr std::size_t kRecordPrefix = 8;  // DataSize, HeaderSize

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool ResNameEquals(const std::string& stored, const char* wanted) {
    if (wanted == nullptr) return false;
    std::size_t i = 0;
    for (; wanted[i] != '\0'; ++i) {
        if (i >= stored.size() || AsciiUpper(stored[i]) != AsciiUpper(wanted[i])) return false;
    }
    return i == stored.size();
}

int ResFile::Next(std::size_t* pos, Record* rec) const {
    if (*pos >= m_nSize) return 0;
    const auto* base = static_cast<const unsigned char*>(m_pData);
    ByteReader r(base + *pos, m_nSize - *pos);
    std::uint32_t dataSize = 0, headerSize = 0;
    if (!r.U32(&dataSize) || !r.U32(&headerSize)) return -1;
    if (headerSize < kRecordPrefix + 4 + 4 + kHeaderTail || headerSize > r.Left() + kRecordPrefix) return -1;
    if (dataSize > r.Left() + kRecordPrefix - headerSize) return -1;

    // TYPE and NAME must lie inside the header, before its fixed tail.
    ByteReader h(base + *pos, headerSize - kHeaderTail);
    if (!h.Skip(kRecordPrefix)) return -1;
    if (!h.SzOrOrd(&rec->typeIsOrdinal, &rec->typeOrdinal, &rec->typeName)) return -1;
    if (!h.SzOrOrd(&rec->nameIsOrdinal, &rec->nameOrdinal, &rec->name)) return -1;

    ByteReader t(base + *pos + headerSize - kHeaderTail, kHeaderTail);
    std::uint32_t dataVersion = 0;
    std::uint16_t memoryFlags = 0;
    if (!t.U32(&dataVersion) || !t.U16(&memoryFlags) || !t.U16(&rec->language)) return -1;

    rec->data.data = base + *pos + headerSize;
    rec->data.size = dataSize;

    // The next record starts on a 4-byte boundary; padding cut off after the last one is harmless.
    std::size_t next = *pos + headerSize + dataSize;
    next = (next + 3) & ~static_cast<std::size_t>(3);
    *pos = next < m_nSize ? next : m_nSize;
    return 1;
}

ResData ResFile::Find(ResType type, std::uint16_t id) const {
    ResData found;
    ForEach([&](const Record& rec) {
        if (!rec.Is(type, id)) return true;
        found = rec.data;
        return false;
    });
    return found;
}

bool ResFile::Record::Is(ResType type, std::uint16_t id) const {
    if (!nameIsOrdinal || nameOrdinal != id) return false;
    return type.name != nullptr ? (!typeIsOrdinal && ResNameEquals(typeName, type.name))
                                : (typeIsOrdinal && typeOrdinal == type.ordinal);
}

bool ResFile::LoadString(std::uint16_t id, std::string* out) const {
    const ResData block = Find(kRtString, static_cast<std::uint16_t>(id / 16 + 1));
    if (block.data == nullptr) return false;
    ByteReader r(block.data, block.size);
    for (unsigned i = 0; i < 16; ++i) {
        std::uint16_t len = 0;
        if (!r.U16(&len)) return false;
        if (i == id % 16) {
            if (len == 0 || static_cast<std::size_t>(len) * 2 > r.Left()) return false;
            std::string text;
            AppendUtf16AsUtf8(r.Here(), len, &text);
            if (out) *out = std::move(text);
            return true;
        }
        if (!r.Skip(static_cast<std::size_t>(len) * 2)) return false;
    }
    return false;
}

}  // namespace plat
