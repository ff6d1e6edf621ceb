#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace quorrel {

// The rows of one SELECT, read completely while the database lock is held,
// so the row set stays valid whatever other threads do afterwards.
// Walked first to last; columns are read by name. Copies share the rows,
// which never change, and keep their own position.
class TRowSet {
public:
    TRowSet(std::vector<std::string> columns, std::vector<std::vector<std::string>> rows);

    void First() { position_ = 0; }
    void Next() { ++position_; }
    bool Eof() const { return position_ >= data_->rows.size(); }
    int RecordCount() const { return static_cast<int>(data_->rows.size()); }

    std::string FieldString(const std::string& column) const;
    int FieldInt(const std::string& column) const;

    // First column of the current row; used by the single-value queries.
    const std::string& FirstColumn() const;
    int FirstInt() const;

private:
    std::size_t ColumnIndex(const std::string& column) const;
    const std::vector<std::string>& CurrentRow() const;

    struct Data {
        std::vector<std::string> columns;
        std::vector<std::vector<std::string>> rows;
    };
    std::shared_ptr<const Data> data_;
    std::size_t position_ = 0;
};

} // namespace quorrel
