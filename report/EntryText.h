// The text of one block entry, kept as what makes it: literal bytes and formats with
// their values. Rendering it into bytes can then happen later, and on another thread,
// than deciding it: the entry's formats are the costliest part of a report line.
#pragma once

#include "util/Number.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace report {

class EntryText {
public:
    void clear() { ops_.clear(); }
    bool empty() const { return ops_.empty(); }

    EntryText& operator+=(std::string_view literal);
    // `format` must outlive the text and every copy of its encoding.
    void format(const util::PrintfFormat& format, std::initializer_list<util::PrintfArg> args);

    // The entry as report bytes.
    void render(std::string& out) const { render(ops_, out); }

    // The encoded operations, to be carried elsewhere and rendered there.
    std::string_view encoded() const { return ops_; }
    static void render(std::string_view encoded, std::string& out);

private:
    std::string ops_;
};

}  // namespace report
