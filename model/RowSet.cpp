#include "model/RowSet.h"

#include "base/Error.h"

#include <charconv>
#include <limits>

namespace quorrel {
namespace {

std::string AsString(const TSqlValue& value) {
    if (const auto* number = std::get_if<long long>(&value))
        return std::to_string(*number);
    return std::get<std::string>(value);
}

int AsInt(const TSqlValue& value, const std::string& column) {
    const auto refused = [&] {
        return Error("column '" + column + "' holds '" + AsString(value) + "', which is not an integer");
    };
    if (const auto* number = std::get_if<long long>(&value)) {
        if (*number < std::numeric_limits<int>::min() || *number > std::numeric_limits<int>::max())
            throw refused();
        return static_cast<int>(*number);
    }
    const std::string& text = std::get<std::string>(value);
    if (text.empty())
        return 0;
    int parsed = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec != std::errc() || end != text.data() + text.size())
        throw refused();
    return parsed;
}

} // namespace

TRowSet::TRowSet(std::vector<std::string> columns, std::vector<std::vector<TSqlValue>> rows)
    : data_(std::make_shared<const Data>(Data{std::move(columns), std::move(rows)})) {}

std::size_t TRowSet::ColumnIndex(const std::string& column) const {
    const auto& columns = data_->columns;
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i] == column)
            return i;
    throw Error("column '" + column + "' is not in the result of the query");
}

const std::vector<TSqlValue>& TRowSet::CurrentRow() const {
    if (Eof())
        throw Error("no current row: the row set is at its end");
    return data_->rows[position_];
}

std::string TRowSet::FieldString(const std::string& column) const {
    return AsString(CurrentRow()[ColumnIndex(column)]);
}

int TRowSet::FieldInt(const std::string& column) const {
    return AsInt(CurrentRow()[ColumnIndex(column)], column);
}

const TSqlValue& TRowSet::FirstValue() const {
    const auto& row = CurrentRow();
    if (row.empty())
        throw Error("the query returned no column");
    return row.front();
}

std::string TRowSet::FirstString() const {
    return AsString(FirstValue());
}

int TRowSet::FirstInt() const {
    return AsInt(FirstValue(), data_->columns.front());
}

} // namespace quorrel
