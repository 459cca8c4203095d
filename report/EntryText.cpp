#include "report/EntryText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <stdexcept>

namespace report {

namespace {

// Each operation: a tag, then for a literal its length and bytes, for a format the
// format's address, the count of values and the values.
constexpr char kLiteral = 'L';
constexpr char kFormat = 'F';

template <class T>
void put(std::string& out, const T& value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <class T>
void take(std::string_view& in, T& value)
{
    if (in.size() < sizeof(T)) {
        throw std::logic_error("EntryText: encoding cut short");
    }
    std::memcpy(&value, in.data(), sizeof value);
    in.remove_prefix(sizeof value);
}

}  // namespace

EntryText& EntryText::operator+=(std::string_view literal)
{
    if (!literal.empty()) {
        ops_ += kLiteral;
        put(ops_, static_cast<std::uint32_t>(literal.size()));
        ops_.append(literal);
    }
    return *this;
}

void EntryText::format(const util::PrintfFormat& format, std::initializer_list<util::PrintfArg> args)
{
    ops_ += kFormat;
    put(ops_, &format);
    put(ops_, static_cast<std::uint8_t>(args.size()));
    ops_.append(reinterpret_cast<const char*>(args.begin()), args.size() * sizeof(util::PrintfArg));
}

void EntryText::render(std::string_view encoded, std::string& out)
{
    while (!encoded.empty()) {
        const char tag = encoded.front();
        encoded.remove_prefix(1);
        if (tag == kLiteral) {
            std::uint32_t length = 0;
            take(encoded, length);
            out.append(encoded.substr(0, length));
            encoded.remove_prefix(std::min<std::size_t>(length, encoded.size()));
        } else if (tag == kFormat) {
            const util::PrintfFormat* format = nullptr;
            std::uint8_t count = 0;
            take(encoded, format);
            take(encoded, count);
            util::PrintfArg args[8] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
            if (count > std::size(args)) {
                throw std::logic_error("EntryText: too many values");
            }
            for (std::uint8_t i = 0; i < count; ++i) {
                take(encoded, args[i]);
            }
            format->append(out, args, count);
        } else {
            throw std::logic_error("EntryText: unknown operation");
        }
    }
}

}  // namespace report
