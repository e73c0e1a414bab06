// Lines and expansion: the input is a skin file. Every line SkinReader hands out, and every
// argument expanded as the skin's reading expands it (VARIABLE lines defining names as they go),
// must equal what a model written from the line and reference rules gives.
#include "config/SkinReader.h"
#include "config/VariableStore.h"
#include "fuzz/FuzzSupport.h"

#include <climits>
#include <map>

namespace {

// Longer expansions may be cut (at 64 KiB); the model cuts there and compares what both hold.
const size_t cut = 65536;
// The expansions of one file may together add at most 4 MiB before they are cut as well; the
// model stops comparing expansions before that.
const size_t fileBudget = 4 << 20;
// The variables of one file hold at most 32,768 values (a name counting as four) and 1 MiB of names
// and values; the model stops before a variable could pass either.
const size_t storedValuesBound = 32768, storedBytesBound = 1 << 20;

struct Line {
    int number;
    std::string keyword;
    std::vector<std::string> arguments;
};

std::vector<Line> modelLines(std::string file)
{
    file = file.substr(0, file.find('\0'));
    if (file.compare(0, 3, "\xEF\xBB\xBF") == 0)
        file.erase(0, 3);
    std::vector<Line> lines;
    int number = 0;
    for (std::string text : fuzz::lines(file)) {
        ++number;
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        size_t first = text.find_first_not_of(" \t");
        if (first == std::string::npos)
            continue;
        text = text.substr(first, text.find_last_not_of(" \t") + 1 - first);
        size_t equals = text.find('=');
        if (text.compare(0, 2, "//") == 0 || equals == 0 || equals == std::string::npos)
            continue;
        Line line{number, text.substr(0, equals), {std::string()}};
        for (char& c : line.keyword)
            c = c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
        bool quoted = false;
        for (char c : text.substr(equals + 1)) {
            if (c == '"')
                quoted = !quoted;
            else if (c == ',' && !quoted)
                line.arguments.push_back(std::string());
            else
                line.arguments.back() += c;
        }
        lines.push_back(line);
    }
    return lines;
}

typedef std::map<std::string, std::vector<std::string>> Variables;

std::string joined(const std::vector<std::string>& values)
{
    std::string text;
    for (size_t i = 0; i < values.size(); ++i)
        text += (i ? "," : "") + values[i];
    return text;
}

std::string modelExpand(const std::string& text, const Variables& variables)
{
    std::string result, name;
    bool inside = false;
    for (char c : text) {
        if (result.size() > cut)
            break;
        if (c != '%') {
            (inside ? name : result) += c;
            continue;
        }
        if (inside && name.empty()) {
            result += '%';
        } else if (inside) {
            size_t bracket = name.find('[');
            bool indexed = name.back() == ']' && bracket != std::string::npos && bracket >= 1;
            std::string base = indexed ? name.substr(0, bracket) : name;
            auto found = variables.find(base);
            if (found == variables.end()) {
                result += "%" + base + "%";
            } else if (!indexed) {
                result += joined(found->second);
            } else {
                // atoi's reading, held at the ends of int.
                std::string index = name.substr(bracket + 1, name.size() - bracket - 2);
                long i = std::max<long>(INT_MIN,
                                        std::min<long>(INT_MAX, std::strtol(index.c_str(), 0, 10)));
                if (i >= 0 && i < static_cast<long>(found->second.size()))
                    result += found->second[i];
            }
            name.clear();
        }
        inside = !inside;
    }
    return result.substr(0, cut);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static fuzz::Card card;
    // Longer files reach the reader's own bounds (arguments a line, bytes and lines a file), which
    // the model leaves out.
    if (size > 65536)
        return 0;
    const std::string file(reinterpret_cast<const char*>(data), size);
    card.write("Tarvo.skin", file);
    std::vector<Line> expected = modelLines(file);

    SkinReader reader("/mnt/sd/Tarvo.skin");
    VariableStore store;
    Variables variables;
    WString keyword;
    WString::Array arguments;
    size_t index = 0, growth = 0, storedValues = 0, storedBytes = 0;
    for (; reader.next(keyword, arguments); ++index) {
        FUZZ_CHECK(index < expected.size());
        const Line& line = expected[index];
        FUZZ_CHECK(reader.place().line == line.number && fuzz::str(keyword) == line.keyword);
        // Only the first argument starts as the null string.
        FUZZ_CHECK(arguments.count() == static_cast<int>(line.arguments.size()) &&
                   (arguments[0].text() == nullptr) == line.arguments[0].empty());
        std::vector<std::string> values;
        for (int i = 0; i < arguments.count(); ++i) {
            FUZZ_CHECK(fuzz::str(arguments[i]) == line.arguments[i]);
            std::string got = fuzz::str(store.expand(arguments[i], VariableStore::REPORTING));
            std::string want = modelExpand(line.arguments[i], variables);
            growth += want.size() - std::min(want.size(), line.arguments[i].size());
            if (growth + cut > fileBudget)
                got = want;
            // An implementation that cuts may cut a little earlier than the model does.
            if (got.size() > cut / 2 && want.size() > cut / 2) {
                got.resize(std::min(got.size(), want.size()));
                want.resize(got.size());
            }
            FUZZ_CHECK(got == want);
            values.push_back(want);
        }
        if (line.keyword == "VARIABLE" && values.size() >= 2 && !values[0].empty()) {
            // Net of what the name held; an implementation that cuts earlier stores less.
            auto size = [](const std::string& name, const std::vector<std::string>& held) {
                size_t bytes = name.size();
                for (const std::string& value : held)
                    bytes += value.size();
                return std::make_pair(held.size() + 4, bytes);
            };
            auto held = variables.count(values[0]) ? size(values[0], variables[values[0]])
                                                   : std::make_pair(size_t(0), size_t(0));
            auto added =
                size(values[0], std::vector<std::string>(values.begin() + 1, values.end()));
            storedValues += added.first - held.first;
            storedBytes += added.second - held.second;
            if (storedValues > storedValuesBound || storedBytes + cut > storedBytesBound)
                return 0;
            WString::Array stored;
            for (size_t i = 1; i < values.size(); ++i)
                stored.append(WString(values[i].c_str()));
            store.setValues(values[0].c_str(), stored);
            variables[values[0]].assign(values.begin() + 1, values.end());
        }
    }
    FUZZ_CHECK(index == expected.size());
    return 0;
}
