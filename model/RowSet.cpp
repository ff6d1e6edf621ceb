#include "model/RowSet.h"

#include "base/Error.h"

#include <charconv>

namespace quorrel {

TRowSet::TRowSet(std::vector<std::string> columns, std::vector<std::vector<std::string>> rows)
    : data_(std::make_shared<const Data>(Data{std::move(columns), std::move(rows)})) {}

std::size_t TRowSet::ColumnIndex(const std::string& column) const {
    const auto& columns = data_->columns;
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i] == column)
            return i;
    throw Error("column '" + column + "' is not in the result of the query");
}

const std::vector<std::string>& TRowSet::CurrentRow() const {
    if (Eof())
        throw Error("no current row: the row set is at its end");
    return data_->rows[position_];
}

std::string TRowSet::FieldString(const std::string& column) const {
    return CurrentRow()[ColumnIndex(column)];
}

namespace {

// An integer column's text; an empty (NULL) value reads as 0.
int ToInt(const std::string& text, const std::string& column) {
    int value = 0;
    if (text.empty())
        return 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        throw Error("column '" + column + "' holds '" + text + "', which is not an integer");
    return value;
}

} // namespace

int TRowSet::FieldInt(const std::string& column) const {
    return ToInt(FieldString(column), column);
}

const std::string& TRowSet::FirstColumn() const {
    const auto& row = CurrentRow();
    if (row.empty())
        throw Error("the query returned no column");
    return row.front();
}

int TRowSet::FirstInt() const {
    return ToInt(FirstColumn(), data_->columns.front());
}

} // namespace quorrel
