#pragma once
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorrel {

// The text of one generated file or block, written line by line. A line is
// a pattern whose places "{name}" (a letter, then letters and digits) take
// the value of that name, followed by CR LF. Values go in as they are and
// are never searched for places again, so model text, whatever it holds,
// can only ever be a value. A place whose name has no value is an error.
class TLineWriter {
public:
    using Values = std::initializer_list<std::pair<std::string_view, std::string_view>>;

    TLineWriter() = default;
    explicit TLineWriter(Values values);

    // A value every later line may use; setting a name again replaces it.
    void Set(std::string_view name, std::string value);
    // One line; values given here are for this line only and come first.
    void Line(std::string_view pattern = {}, Values values = {});
    // Part of a line: the pattern's text, without indent or line end.
    void Piece(std::string_view pattern, Values values = {});
    // Text already made, added as it is.
    void Append(std::string_view text) { text_.append(text); }

    const std::string& Text() const { return text_; }
    std::string Take() { return std::move(text_); }

    // While it lives, every line of the writer starts with the prefix
    // (inside any prefix already in force).
    class Indent {
    public:
        Indent(TLineWriter& writer, std::string_view prefix);
        ~Indent();
        Indent(const Indent&) = delete;
        Indent& operator=(const Indent&) = delete;

    private:
        TLineWriter& writer_;
        std::size_t size_;
    };

private:
    std::string_view Lookup(std::string_view name, Values values, std::string_view pattern) const;

    std::string text_;
    std::string indent_;
    std::vector<std::pair<std::string, std::string>> values_;
};

} // namespace quorrel
