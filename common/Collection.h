#pragma once
// An ordered collection whose items may carry a text key, read the way the
// tool's keyed collections are read: by 1-based position or by key, keys
// compared without regard to case (ASCII letters), a repeated key refused.

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/AsciiCase.h"

namespace common {

// Folds ASCII letters to lower case so that "Prog" and "PROG" are one key.
inline std::string FoldKey(std::string_view key) { return AsciiFold(key); }

template <class T>
class Collection {
public:
    struct Entry {
        std::optional<std::string> key;
        T item;
    };

    // Adds an item at the end; with a key that is already present it raises
    // std::invalid_argument and adds nothing.
    void Add(T item, std::optional<std::string> key = std::nullopt) {
        if (key) {
            std::string folded = FoldKey(*key);
            if (m_index.count(folded)) throw std::invalid_argument("Key is already associated with an element: " + *key);
            m_index.emplace(std::move(folded), m_entries.size());
        }
        m_entries.push_back(Entry{std::move(key), std::move(item)});
    }

    size_t Count() const { return m_entries.size(); }
    bool Empty() const { return m_entries.empty(); }
    bool Contains(std::string_view key) const { return m_index.count(FoldKey(key)) > 0; }

    // 1-based position; raises std::out_of_range outside 1..Count().
    T& Item(size_t position) { return m_entries.at(CheckPosition(position) - 1).item; }
    const T& Item(size_t position) const { return m_entries.at(CheckPosition(position) - 1).item; }
    // Raises std::out_of_range when no item has the key.
    T& Item(std::string_view key) { return m_entries[IndexOf(key)].item; }
    const T& Item(std::string_view key) const { return m_entries[IndexOf(key)].item; }

    void Remove(std::string_view key) { Erase(IndexOf(key)); }
    void Remove(size_t position) { Erase(CheckPosition(position) - 1); }
    void Clear() {
        m_entries.clear();
        m_index.clear();
    }

    // Iterates the entries in insertion order (entry.key, entry.item).
    auto begin() { return m_entries.begin(); }
    auto end() { return m_entries.end(); }
    auto begin() const { return m_entries.begin(); }
    auto end() const { return m_entries.end(); }

private:
    size_t CheckPosition(size_t position) const {
        if (position < 1 || position > m_entries.size()) throw std::out_of_range("Invalid procedure call or argument");
        return position;
    }
    size_t IndexOf(std::string_view key) const {
        auto it = m_index.find(FoldKey(key));
        if (it == m_index.end()) throw std::out_of_range("No item has the key: " + std::string(key));
        return it->second;
    }
    void Erase(size_t index) {
        if (m_entries[index].key) m_index.erase(FoldKey(*m_entries[index].key));
        m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(index));
        for (auto& [k, i] : m_index)
            if (i > index) --i;
    }

    std::vector<Entry> m_entries;
    std::unordered_map<std::string, size_t> m_index;
};

}  // namespace common

namespace Globals {

// Whether the collection holds an item under the key: False for no
// collection, for an empty one and for a key no item carries.
template <class T>
bool CollectionHasKey(const common::Collection<T>* col, std::string_view key) {
    if (!col || col->Empty()) return false;
    return col->Contains(key);
}

template <class T>
bool CollectionHasKey(const common::Collection<T>& col, std::string_view key) {
    return CollectionHasKey(&col, key);
}

}  // namespace Globals
