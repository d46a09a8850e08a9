#pragma once
// Growable arrays and the text-to-text map used throughout the program.
#include "platform/core/String.h"

#include <cassert>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

// An array that grows when an element is set at or past its end.
template <class TYPE, class ARG_TYPE = const TYPE&> class CArray {
public:
    CArray() = default;
    virtual ~CArray() = default;
    CArray(const CArray&) = default;
    CArray& operator=(const CArray&) = default;
    CArray(CArray&&) noexcept = default;
    CArray& operator=(CArray&&) noexcept = default;

    int GetSize() const { return static_cast<int>(m_items.size()); }
    int GetCount() const { return GetSize(); }
    bool IsEmpty() const { return m_items.empty(); }
    int GetUpperBound() const { return GetSize() - 1; }

    const TYPE& GetAt(int index) const { return m_items.at(static_cast<std::size_t>(index)); }
    TYPE& ElementAt(int index) { return m_items.at(static_cast<std::size_t>(index)); }
    const TYPE& operator[](int index) const { return GetAt(index); }
    TYPE& operator[](int index) { return ElementAt(index); }
    void SetAt(int index, ARG_TYPE item) { ElementAt(index) = item; }

    // Sets the element at index, first growing the array with empty elements if needed.
    void SetAtGrow(int index, ARG_TYPE item) {
        assert(index >= 0);
        if (static_cast<std::size_t>(index) >= m_items.size())
            m_items.resize(static_cast<std::size_t>(index) + 1);
        m_items[static_cast<std::size_t>(index)] = item;
    }
    // Appends and returns the new element's index.
    int Add(ARG_TYPE item) {
        m_items.push_back(item);
        return GetSize() - 1;
    }
    void RemoveAll() { m_items.clear(); }

    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    std::vector<TYPE> m_items;
};

// The growable array of texts.
class CStringArray : public CArray<CString, const CString&> {};

// Associations from a text key to a text value. Keys compare exactly, byte by byte.
// Iteration visits every entry once in the map's own (unspecified) order.
//
// The non-const PLookup, which the count calls once per file, remembers where it found
// short keys (up to seven bytes, as nearly every extension is) in a small table of its
// own: a key found before is found again with a multiplication and two compares instead
// of a hash of its bytes, a division and a byte compare. The table holds no key text,
// only the key packed into a number, and forgets everything when entries are removed.
class CMapStringToString {
public:
    // The allocation block is the growth granularity of the classic map; here it only
    // sizes the first allocation.
    explicit CMapStringToString(int blockSize = 10) {
        m_map.reserve(static_cast<std::size_t>(blockSize));
    }
    // A copy starts with an empty lookup table: the original's points into the original.
    CMapStringToString(const CMapStringToString& other) : m_map(other.m_map) {}
    CMapStringToString& operator=(const CMapStringToString& other) {
        if (this != &other) {
            m_map = other.m_map;
            m_recent.reset();
        }
        return *this;
    }
    CMapStringToString(CMapStringToString&& other) noexcept : m_map(std::move(other.m_map)) {
        other.m_recent.reset();
    }
    CMapStringToString& operator=(CMapStringToString&& other) noexcept {
        if (this != &other) {
            m_map = std::move(other.m_map);
            m_recent.reset();
            other.m_recent.reset();
        }
        return *this;
    }
    ~CMapStringToString() = default;

    int GetCount() const { return static_cast<int>(m_map.size()); }
    int GetSize() const { return GetCount(); }
    bool IsEmpty() const { return m_map.empty(); }

    // True and the value copied out when the key is present; false and value untouched otherwise.
    bool Lookup(std::string_view key, CString& value) const {
        const auto it = m_map.find(key);
        if (it == m_map.end())
            return false;
        value = it->second;
        return true;
    }
    // The stored value for key, or null; lets a hot caller update a value in place.
    CString* PLookup(std::string_view key) {
        if (key.size() > kPackedBytes) {
            const auto it = m_map.find(key);
            return it == m_map.end() ? nullptr : &it->second;
        }
        const std::uint64_t packed = Pack(key);
        Recent& slot = RecentSlot(packed);
        if (slot.packed == packed && slot.value)
            return slot.value;
        const auto it = m_map.find(key);
        if (it == m_map.end())
            return nullptr;
        slot = {packed, &it->second};
        return &it->second;
    }
    const CString* PLookup(std::string_view key) const {
        const auto it = m_map.find(key);
        return it == m_map.end() ? nullptr : &it->second;
    }
    // The stored key equal to key, or null: a copy of it shares the map's bytes.
    const CString* PLookupKey(std::string_view key) const {
        const auto it = m_map.find(key);
        return it == m_map.end() ? nullptr : &it->first;
    }
    // Inserts the association, or replaces the value of an existing key.
    void SetAt(std::string_view key, const CString& value) {
        const auto it = m_map.find(key);
        if (it == m_map.end())
            m_map.emplace(CString(key), value);
        else
            it->second = value;
    }
    // The value for key, inserted empty when absent.
    CString& operator[](std::string_view key) {
        const auto it = m_map.find(key);
        if (it != m_map.end())
            return it->second;
        return m_map.emplace(CString(key), CString()).first->second;
    }
    void RemoveAll() {
        m_map.clear();
        m_recent.reset();
    }

    auto begin() const { return m_map.begin(); }
    auto end() const { return m_map.end(); }

private:
    static constexpr std::size_t kPackedBytes = 7;
    static constexpr int kRecentBits = 10;
    // Where a key of up to kPackedBytes bytes was found (value null: nothing yet). Values
    // stay where they are while the map grows; only removing entries moves them.
    struct Recent {
        std::uint64_t packed;
        CString* value;
    };
    // A key of up to kPackedBytes bytes in one number: its bytes, then zeros, and its
    // length in the top byte. Two keys are equal exactly when their numbers are.
    static std::uint64_t Pack(std::string_view key) {
        const auto* p = reinterpret_cast<const unsigned char*>(key.data());
        const std::size_t n = key.size();
        std::uint64_t packed = static_cast<std::uint64_t>(n) << 56;
        if (n >= 4) {
            std::uint32_t low;
            std::uint32_t high;
            std::memcpy(&low, p, 4);
            std::memcpy(&high, p + n - 4, 4);
            return packed | low | static_cast<std::uint64_t>(high) << (8 * (n - 4));
        }
        for (std::size_t i = 0; i < n; ++i)
            packed |= static_cast<std::uint64_t>(p[i]) << (8 * i);
        return packed;
    }
    Recent& RecentSlot(std::uint64_t packed) {
        if (!m_recent)
            m_recent = std::make_unique<Recent[]>(std::size_t{1} << kRecentBits);
        const std::uint64_t mixed = packed * 0x9E3779B97F4A7C15ull;
        return m_recent[static_cast<std::size_t>(mixed >> (64 - kRecentBits))];
    }

    std::unordered_map<CString, CString, CStringHash, CStringEqual> m_map;
    std::unique_ptr<Recent[]> m_recent; // made at the first non-const PLookup
};
