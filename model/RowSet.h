#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace quorrel {

// The rows of one SELECT, read completely while the database lock is held,
// so the row set stays valid whatever other threads do afterwards.
// Walked first to last; columns are read by name.
class TRowSet {
public:
    TRowSet(std::vector<std::string> columns, std::vector<std::vector<std::string>> rows);

    void First() { position_ = 0; }
    void Next() { ++position_; }
    bool Eof() const { return position_ >= rows_.size(); }
    int RecordCount() const { return static_cast<int>(rows_.size()); }

    std::string FieldString(const std::string& column) const;
    int FieldInt(const std::string& column) const;

    // First column of the current row; used by the single-value queries.
    const std::string& FirstColumn() const;

private:
    std::size_t ColumnIndex(const std::string& column) const;
    const std::vector<std::string>& CurrentRow() const;

    std::vector<std::string> columns_;
    std::vector<std::vector<std::string>> rows_;
    std::size_t position_ = 0;
};

} // namespace quorrel
