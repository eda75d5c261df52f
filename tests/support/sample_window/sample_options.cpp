#include "tests/support/sample_window/sample_options.h"

#include <cstddef>
#include <limits>

namespace {

bool ParseInt32(const std::wstring& text, std::int32_t& value)
{
    std::size_t i = 0;
    bool const negative = !text.empty() && text[0] == L'-';
    if (negative)
        ++i;
    if (i == text.size())
        return false;
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < L'0' || text[i] > L'9')
            return false;
        magnitude = magnitude * 10 + (text[i] - L'0');
        if (magnitude > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1)
            return false;
    }
    std::int64_t const result = negative ? -magnitude : magnitude;
    if (result > std::numeric_limits<std::int32_t>::max())
        return false;
    value = static_cast<std::int32_t>(result);
    return true;
}

bool ParseSide(const std::wstring& text, std::int32_t& side)
{
    std::int32_t value = 0;
    if (!ParseInt32(text, value) || value < 1 || value > kSampleMaxSide)
        return false;
    side = value;
    return true;
}

} // namespace

bool ParseSampleOptions(const std::vector<std::wstring>& arguments, SampleOptions& options)
{
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& name = arguments[i];
        if (name == L"--refuse-zorder") {
            options.refuseZOrder = true;
            continue;
        }
        if (++i == arguments.size())
            return false;
        const std::wstring& value = arguments[i];
        bool valid = false;
        if (name == L"--title") {
            options.title = value;
            valid = true;
        } else if (name == L"--x") {
            valid = ParseInt32(value, options.x);
        } else if (name == L"--y") {
            valid = ParseInt32(value, options.y);
        } else if (name == L"--width") {
            valid = ParseSide(value, options.width);
        } else if (name == L"--height") {
            valid = ParseSide(value, options.height);
        } else if (name == L"--mode") {
            valid = ParseSampleMode(value, options.mode);
        }
        if (!valid)
            return false;
    }
    return true;
}
