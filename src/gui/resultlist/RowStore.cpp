#include "resultlist/RowStore.h"

#include <algorithm>
#include <cstring>

#include "cleaner/Problem.h"
#include "common/Text.h"

// Texts in blocks of a fixed size (a longer text gets a block of its own):
// appending copies into the newest block, clearing frees the blocks.
class RowStore::Pool {
  public:
    static constexpr std::size_t kBlock = 1 << 19;  // characters

    wchar_t* Reserve(std::size_t length) {
        if (m_blocks.empty() || m_used + length > m_capacity) {
            m_capacity = std::max(kBlock, length);
            m_blocks.push_back(std::make_unique<wchar_t[]>(m_capacity));
            m_used = 0;
        }
        wchar_t* start = m_blocks.back().get() + m_used;
        m_used += length;
        return start;
    }
    void Clear() {
        m_blocks.clear();
        m_used = m_capacity = 0;
    }
    std::size_t Bytes() const { return m_blocks.size() * kBlock * sizeof(wchar_t); }

  private:
    std::vector<std::unique_ptr<wchar_t[]>> m_blocks;
    std::size_t m_used = 0;
    std::size_t m_capacity = 0;
};

RowStore::RowStore() : m_pool(std::make_unique<Pool>()) {}

RowStore::~RowStore() = default;

const wchar_t* RowStore::Store(std::initializer_list<std::wstring_view> parts) {
    std::size_t length = 0;
    for (std::wstring_view part : parts)
        length += part.size();
    wchar_t* start = m_pool->Reserve(length);
    wchar_t* at = start;
    for (std::wstring_view part : parts) {
        std::copy(part.begin(), part.end(), at);
        at += part.size();
    }
    return start;
}

std::uint16_t RowStore::RootIndex(const std::wstring& root) {
    auto found = std::find(m_roots.begin(), m_roots.end(), root);
    if (found == m_roots.end())
        found = m_roots.insert(m_roots.end(), root);
    return static_cast<std::uint16_t>(found - m_roots.begin());
}

void RowStore::Append(const RegistryItem& item) {
    Record record;
    record.text = Store({item.keyPath, item.valueName, item.dataText, item.problemArgument});
    record.keyLength = static_cast<std::uint32_t>(item.keyPath.size());
    record.nameLength = static_cast<std::uint32_t>(item.valueName.size());
    record.dataLength = static_cast<std::uint32_t>(item.dataText.size());
    record.argumentLength = static_cast<std::uint32_t>(item.problemArgument.size());
    record.type = item.type;
    record.root = RootIndex(item.rootKey);
    record.image = static_cast<std::uint8_t>(item.image);
    record.problem = item.problem;
    record.digest = item.digest;
    m_records.push_back(record);
}

void RowStore::AppendAll(const RowStore& other) {
    for (const Record& from : other.m_records) {
        Record record = from;
        const std::wstring_view text(from.text, std::size_t{from.keyLength} + from.nameLength +
                                                    from.dataLength + from.argumentLength);
        record.text = Store({text});
        record.root = RootIndex(other.m_roots[from.root]);
        m_records.push_back(record);
    }
}

void RowStore::Clear() {
    // Swapped out, so that the memory really goes.
    std::vector<Record>().swap(m_records);
    m_roots.clear();
    m_pool->Clear();
}

// Part 0 to 3 of a row's text: key path, value name, data, problem argument.
std::wstring_view RowStore::Part(std::size_t row, int part) const {
    const Record& r = m_records[row];
    const std::uint32_t lengths[] = {r.keyLength, r.nameLength, r.dataLength, r.argumentLength};
    const wchar_t* start = r.text;
    for (int before = 0; before < part; ++before)
        start += lengths[before];
    return {start, lengths[part]};
}

std::wstring_view RowStore::Text(std::size_t row, int column, std::wstring& buffer) const {
    if (column == 0)
        return m_roots[m_records[row].root];
    if (column == kProblemColumn) {
        buffer = ProblemText(m_records[row].problem, std::wstring(Part(row, 3)));
        return buffer;
    }
    return column > 0 && column < kColumns ? Part(row, column - 1) : std::wstring_view();
}

RegistryItem RowStore::Item(std::size_t row) const {
    const Record& r = m_records[row];
    RegistryItem item;
    item.rootKey = m_roots[r.root];
    item.keyPath = Part(row, 0);
    item.valueName = Part(row, 1);
    item.dataText = Part(row, 2);
    item.problemArgument = Part(row, 3);
    item.type = r.type;
    item.image = r.image;
    item.problem = r.problem;
    item.digest = r.digest;
    return item;
}

void RowStore::SetTexts(std::size_t row, std::wstring_view valueName, std::wstring_view dataText) {
    Record& r = m_records[row];
    // The old texts stay in the pool until the rows are cleared.
    r.text = Store({Part(row, 0), valueName, dataText, Part(row, 3)});
    r.nameLength = static_cast<std::uint32_t>(valueName.size());
    r.dataLength = static_cast<std::uint32_t>(dataText.size());
}

std::vector<std::uint32_t> RowStore::SortBy(int column, bool descending) {
    // One key per row, prepared once: where its text is and the code page
    // order of its first characters, so that most comparisons end there.
    struct Key {
        std::uint64_t head;
        const wchar_t* text;
        std::uint32_t length;
        std::uint32_t row;
    };
    std::vector<Key> keys(m_records.size());
    // The problem column's words are made for the sort and dropped after it.
    RowStore words;
    std::wstring buffer;
    for (std::size_t row = 0; row < keys.size(); ++row) {
        std::wstring_view text = Text(row, column, buffer);
        if (column == kProblemColumn)
            text = {words.Store({text}), text.size()};
        keys[row] = {CodePageOrderHead(text), text.data(), static_cast<std::uint32_t>(text.size()),
                     static_cast<std::uint32_t>(row)};
    }
    auto less = [](const Key& a, const Key& b) {
        if (a.head != b.head)
            return a.head < b.head;
        return CompareInCodePageOrder({a.text, a.length}, {b.text, b.length}) < 0;
    };
    if (descending) {
        std::stable_sort(keys.begin(), keys.end(),
                         [&less](const Key& a, const Key& b) { return less(b, a); });
    } else {
        std::stable_sort(keys.begin(), keys.end(), less);
    }
    std::vector<Record> sorted;
    sorted.reserve(m_records.size());
    std::vector<std::uint32_t> placeOf(m_records.size());
    for (std::size_t place = 0; place < keys.size(); ++place) {
        placeOf[keys[place].row] = static_cast<std::uint32_t>(place);
        sorted.push_back(m_records[keys[place].row]);
    }
    m_records.swap(sorted);
    return placeOf;
}

void RowStore::Remove(const std::vector<int>& rows) {
    std::size_t next = 0, kept = 0;
    for (std::size_t row = 0; row < m_records.size(); ++row) {
        if (next < rows.size() && static_cast<std::size_t>(rows[next]) == row) {
            ++next;
            continue;
        }
        m_records[kept++] = m_records[row];
    }
    m_records.resize(kept);
}

int RowStore::FindPrefix(int column, std::wstring_view prefix, std::size_t start) const {
    const std::size_t count = m_records.size();
    std::wstring buffer;
    for (std::size_t step = 0; step < count; ++step) {
        const std::size_t row = (start + step) % count;
        if (StartsWithIgnoringCase(Text(row, column, buffer), prefix))
            return static_cast<int>(row);
    }
    return -1;
}

std::size_t RowStore::Bytes() const {
    return m_records.capacity() * sizeof(Record) + m_pool->Bytes();
}
