#pragma once
// The rows of a result list, kept by the program, not by the list control:
// every row's texts in a few large blocks of one pool, one small record per
// row in the order the list shows them. A million rows cost a few hundred
// bytes each, and clearing them frees a few blocks at once. A cleaner row's
// reason is kept as its number and argument, its words made when shown.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "registry/Registry.h"

class RowStore {
  public:
    // The list's columns: root key, key, value name, data, and on the
    // cleaner's list the problem.
    static constexpr int kColumns = 5;
    static constexpr int kProblemColumn = 4;

    RowStore();
    ~RowStore();
    RowStore(const RowStore&) = delete;
    RowStore& operator=(const RowStore&) = delete;

    std::size_t Size() const { return m_records.size(); }
    void Append(const RegistryItem& item);
    // Appends every row of another store, in its order.
    void AppendAll(const RowStore& other);
    void Clear();

    // A column's text; the problem column's words are made in buffer.
    std::wstring_view Text(std::size_t row, int column, std::wstring& buffer) const;
    int Image(std::size_t row) const { return m_records[row].image; }
    int Type(std::size_t row) const { return m_records[row].type; }
    RegistryItem Item(std::size_t row) const;
    // A new value name and data text for a row (after an edit).
    void SetTexts(std::size_t row, std::wstring_view valueName, std::wstring_view dataText);

    // Sorts the rows by a column's texts in the code page's order, stable;
    // returns each row's new place, by its old one.
    std::vector<std::uint32_t> SortBy(int column, bool descending);
    // Takes out the rows at these places (ascending); the others keep their order.
    void Remove(const std::vector<int>& rows);

    // The first row from start on (wrapping at the end) whose column text
    // begins with prefix, without regard to case; -1 when there is none.
    int FindPrefix(int column, std::wstring_view prefix, std::size_t start) const;

    // Bytes of memory the rows hold.
    std::size_t Bytes() const;

  private:
    struct Record {
        const wchar_t* text;  // key path, value name, data and problem argument, back to back
        std::uint32_t keyLength;
        std::uint32_t nameLength;
        std::uint32_t dataLength;
        std::uint32_t argumentLength;
        std::int32_t type;
        std::uint16_t root;  // in m_roots
        std::uint8_t image;
        Problem problem;
        std::uint64_t digest;
    };
    class Pool;

    const wchar_t* Store(std::initializer_list<std::wstring_view> parts);
    std::wstring_view Part(std::size_t row, int part) const;
    std::uint16_t RootIndex(const std::wstring& root);

    std::vector<Record> m_records;
    std::vector<std::wstring> m_roots;
    std::unique_ptr<Pool> m_pool;
};
