#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace quorrel {

// A value as the model database holds it: an integer or a text (a NULL
// reads as empty text). Statements are given their values so, bound to
// their "?" parameters in order, and row sets keep the values they read so.
using TSqlValue = std::variant<long long, std::string>;
using TSqlValues = std::vector<TSqlValue>;

// The rows of one SELECT, read completely while the database lock is held,
// so the row set stays valid whatever other threads do afterwards.
// Walked first to last; columns are read by name. Copies share the rows,
// which never change, and keep their own position.
class TRowSet {
public:
    TRowSet(std::vector<std::string> columns, std::vector<std::vector<TSqlValue>> rows);

    void First() { position_ = 0; }
    void Next() { ++position_; }
    bool Eof() const { return position_ >= data_->rows.size(); }
    int RecordCount() const { return static_cast<int>(data_->rows.size()); }

    // An integer reads as its decimal text.
    std::string FieldString(const std::string& column) const;
    // An integer as it is; a text (as older or hand-edited files may hold)
    // only when it is an integer's text, empty text as 0. Anything else, or
    // an integer beyond int, is refused naming the column.
    int FieldInt(const std::string& column) const;

    // First column of the current row; used by the single-value queries.
    std::string FirstString() const;
    int FirstInt() const;

private:
    std::size_t ColumnIndex(const std::string& column) const;
    const std::vector<TSqlValue>& CurrentRow() const;
    const TSqlValue& FirstValue() const;

    struct Data {
        std::vector<std::string> columns;
        std::vector<std::vector<TSqlValue>> rows;
    };
    std::shared_ptr<const Data> data_;
    std::size_t position_ = 0;
};

} // namespace quorrel
